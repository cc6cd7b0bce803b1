' A month laid out in weeks: each day's Date gives its weekday, the weeks
' are the rows of a two-dimensional array cut to the rows used.
Function Cell(v As Integer) As String
  If v = 0 Then Return "  "
  If v < 10 Then Return " " + Str(v)
  Return Str(v)
End Function

Sub Main()
  Dim probe As New Date
  Dim weeks(5, 6) As Integer
  Dim first, last, day As Integer
  day = 1
  Do
    probe.Year = 2026
    probe.Month = 5
    probe.Day = day
    If probe.Month <> 5 Then Exit Do
    If day = 1 Then first = probe.DayOfWeek - 1
    Dim at As Integer = first + day - 1
    weeks(at \ 7, at Mod 7) = day
    last = at \ 7
    day = day + 1
  Loop
  Redim weeks(last, 6)
  LineTrace "May 2026, " + Str(day - 1) + " days in " + Str(UBound(weeks, 1) + 1) + " weeks"
  LineTrace "Su Mo Tu We Th Fr Sa"
  For r As Integer = 0 To UBound(weeks, 1)
    Dim row As String = Cell(weeks(r, 0))
    For c As Integer = 1 To 6
      row = row + " " + Cell(weeks(r, c))
    Next
    LineTrace row
  Next
End Sub
