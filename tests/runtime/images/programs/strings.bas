' Strings: concatenation, the built-in string functions, comparisons, and
' String properties and locals released as they are replaced.
Class Holder
  Property Text As String
End Class

Sub Main()
  Dim s As String = "Hello, World"
  LineTrace Left(s, 5) + "|" + Right(s, 5) + "|" + Mid(s, 8) + "|" + Mid(s, 1, 4)
  LineTrace "len " + Str(Len(s)) + " instr " + Str(InStr(s, "World")) + " " + Str(InStr(9, s, "o"))
  LineTrace UCase(s) + " " + LCase(s) + " [" + Trim("  x  ") + "]"
  If "abc" < "abd" And "b" > "a" And s = "Hello, World" Then LineTrace "compare ok"
  Dim h As New Holder
  Dim i As Integer
  For i = 1 To 3
    h.Text = h.Text + Chr(64 + i)
  Next
  LineTrace h.Text + " " + Format(1234.5, "#,##0.00") + " " + Str(Val("12abc"))
  Dim e As String
  If e = "" And Len(e) = 0 Then LineTrace "empty is nil"
End Sub
