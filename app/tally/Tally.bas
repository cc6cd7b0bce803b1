' Tally: the runtime's values at work. "Count words" counts the words of a
' text with a Dictionary and lists them, most frequent first, through a sorted
' array; "Calendar" lays out one month in a weeks-by-days array built with Date.
Project
  ApplicationName = "Tally"
  MainWindow = TallyWindow
End Project

Window TallyWindow
  Title = "Tally"
  Width = 460
  Height = 380

  Control TextLabel As StaticText
    Left = 12
    Top = 10
    Width = 200
    Height = 18
    Text = "Text to count:"
  End Control
  Control InputField As EditField
    Left = 12
    Top = 30
    Width = 436
    Height = 90
    MultiLine = True
    ScrollBarVertical = True
    Alignment = 1
  End Control
  Control CountButton As PushButton
    Left = 12
    Top = 128
    Width = 110
    Height = 24
    Caption = "Count words"
    Default = True
  End Control
  Control SummaryText As StaticText
    Left = 132
    Top = 132
    Width = 316
    Height = 18
    Text = ""
  End Control
  Control YearField As EditField
    Left = 12
    Top = 160
    Width = 60
    Height = 22
    Text = "2026"
  End Control
  Control MonthField As EditField
    Left = 80
    Top = 160
    Width = 40
    Height = 22
    Text = "12"
  End Control
  Control CalendarButton As PushButton
    Left = 132
    Top = 159
    Width = 90
    Height = 24
    Caption = "Calendar"
  End Control
  Control ResultField As EditField
    Left = 12
    Top = 192
    Width = 436
    Height = 176
    MultiLine = True
    ReadOnly = True
    ScrollBarVertical = True
    Alignment = 1
    TextFont = "Courier New"
  End Control

  ' The words are the runs of letters, digits and apostrophes, lower-cased.
  Handler CountButton.Action()
    Dim words() As String
    Dim word As String
    Dim lower As String = LCase(InputField.Text)
    Dim i, n As Integer
    For i = 1 To Len(lower) + 1
      Dim c As String = Mid(lower, i, 1)
      If (c >= "a" And c <= "z") Or (c >= "0" And c <= "9") Or c = "'" Then
        word = word + c
      ElseIf word <> "" Then
        words.Append word
        word = ""
      End If
    Next

    Dim counts As New Dictionary
    For i = 0 To UBound(words)
      n = 0
      If counts.HasKey(words(i)) Then n = counts.Value(words(i))
      counts.Value(words(i)) = n + 1
    Next

    ' Sort keys put the most frequent first, then the words in order.
    Dim lines() As String
    For i = 0 To counts.Count - 1
      word = counts.Key(i)
      n = counts.Value(word)
      lines.Append Format(100000 - n, "000000") + " " + word
    Next
    lines.Sort
    Dim shown As String
    For i = 0 To UBound(lines)
      n = 100000 - Val(Mid(lines(i), 1, 6))
      shown = shown + Right("     " + Str(n), 5) + "  " + Mid(lines(i), 8) + Chr(13) + Chr(10)
    Next
    ResultField.Text = shown
    SummaryText.Text = Str(UBound(words) + 1) + " words, " + Str(counts.Count) + " different"
  End Handler

  Handler CalendarButton.Action()
    Dim first As New Date
    first.Year = Val(YearField.Text)
    first.Month = Val(MonthField.Text)
    first.Day = 1
    first.Hour = 0
    first.Minute = 0
    first.Second = 0
    Dim month As Integer = first.Month

    ' Six weeks of seven days, Sunday first; 0 where the month has no day.
    Dim grid(5, 6) As Integer
    Dim d As New Date
    d.TotalSeconds = first.TotalSeconds
    Dim week As Integer = 0
    Dim days As Integer = 0
    While d.Month = month
      days = days + 1
      grid(week, d.DayOfWeek - 1) = d.Day
      If d.DayOfWeek = 7 Then week = week + 1
      d.Day = d.Day + 1
    Wend

    Dim shown As String = Str(first.Year) + "-" + Right("0" + Str(month), 2) + Chr(13) + Chr(10)
    shown = shown + " Su Mo Tu We Th Fr Sa" + Chr(13) + Chr(10)
    For w As Integer = 0 To UBound(grid, 1)
      Dim row As String
      For day As Integer = 0 To UBound(grid, 2)
        If grid(w, day) = 0 Then
          row = row + "   "
        Else
          row = row + Right("   " + Str(grid(w, day)), 3)
        End If
      Next
      If Trim(row) <> "" Then shown = shown + row + Chr(13) + Chr(10)
    Next
    ResultField.Text = shown
    SummaryText.Text = Str(days) + " days"
    Title = "Tally: " + first.LongDate
  End Handler
End Window
