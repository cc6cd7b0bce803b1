' Word frequencies: a text split into words with CountFields and NthField,
' counted in a Dictionary of 31 bins, the words taken back out by index and sorted.
Sub Main()
  Dim text As String = "The quick brown fox jumps over the lazy dog the dog sleeps and THE fox runs"
  Dim counts As New Dictionary
  counts.BinCount = 31
  Dim total As Integer = CountFields(text, " ")
  For i As Integer = 1 To total
    Dim w As String = LCase(NthField(text, " ", i))
    If counts.HasKey(w) Then
      counts.Value(w) = counts.Value(w) + 1
    Else
      counts.Value(w) = 1
    End If
  Next
  LineTrace "words " + Str(total) + " distinct " + Str(counts.Count) + " bins " + Str(counts.BinCount)
  Dim words() As String
  For k As Integer = 0 To counts.Count - 1
    words.Append counts.Key(k)
  Next
  words.Sort
  Dim line As String
  For k2 As Integer = 0 To UBound(words)
    Dim n As Integer = counts.Value(words(k2))
    line = line + words(k2) + ":" + Str(n) + " "
  Next
  LineTrace line
  counts.Remove "the"
  If Not counts.HasKey("The") Then LineTrace "the removed, " + Str(counts.Count) + " left"
  Try
    Dim missing As Integer = counts.Value("cat")
    LineTrace "not reached " + Str(missing)
  Catch err As KeyNotFoundException
    LineTrace "no cat"
  End Try
End Sub
