' Dates: fields rolled over after writes, seconds since 1904, week numbers,
' a text read back by ParseDate, and the clocks going forward.
Sub Main()
  Dim d As New Date
  d.Year = 2003
  d.Month = 2
  d.Day = 29
  LineTrace "rollover " + Str(d.Year) + "-" + Str(d.Month) + "-" + Str(d.Day)
  d.TotalSeconds = 86400
  LineTrace "1904 " + Str(d.Year) + "-" + Str(d.Month) + "-" + Str(d.Day) + " " + Str(d.TotalSeconds)
  d.Year = 2000
  d.Month = 1
  d.Day = 2
  LineTrace "week " + Str(d.DayOfWeek) + " " + Str(d.DayOfYear) + " " + Str(d.WeekOfYear)
  Dim back As New Date
  If ParseDate(d.ShortDate, back) Then LineTrace "parsed " + Str(back.Year) + "-" + Str(back.Month) + "-" + Str(back.Day)
  Dim t As Integer = Ticks
  Dim us As Double = Microseconds
  If Ticks >= t And Microseconds > us Then LineTrace "clocks go forward"
End Sub
