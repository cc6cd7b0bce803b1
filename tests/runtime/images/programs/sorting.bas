' Ten thousand generated six-letter strings sorted in place, then checked:
' the first, the last, and that every neighbour is in order.
Sub Main()
  Dim words(9999) As String
  Dim seed As Integer = 12345
  Dim i As Integer
  For i = 0 To 9999
    Dim w As String
    For k As Integer = 1 To 6
      seed = seed * 1103515245 + 12345
      w = w + Chr(97 + (((seed \ 65536) And 32767) Mod 26))
    Next
    words(i) = w
  Next
  words.Sort
  Dim wrong As Integer
  For i = 1 To UBound(words)
    If words(i - 1) > words(i) Then wrong = wrong + 1
  Next
  LineTrace "sorted " + Str(UBound(words) + 1) + " first " + words(0) + " last " + words(9999) + " out of order " + Str(wrong)
End Sub
