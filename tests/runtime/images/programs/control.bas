' Control flow: If/ElseIf, Select Case, For with Step, While, Do, Exit.
Function Classify(n As Integer) As String
  Select Case n
  Case 0
    Return "zero"
  Case 1, 2, 3
    Return "small"
  Case 4 To 9
    Return "medium"
  Case Is >= 100
    Return "huge"
  Case Else
    Return "large"
  End Select
End Function

Sub Main()
  Dim line As String
  Dim i As Integer
  For i = 10 To 1 Step -3
    line = line + Str(i) + " "
  Next
  LineTrace line
  LineTrace Classify(0) + " " + Classify(2) + " " + Classify(7) + " " + Classify(50) + " " + Classify(100)
  Dim n As Integer = 1
  While n < 1000
    n = n * 3
  Wend
  LineTrace "while " + Str(n)
  n = 0
  Do
    n = n + 1
    If n = 5 Then Exit Do
  Loop
  LineTrace "do " + Str(n)
  n = 0
  Do Until n >= 3
    n = n + 1
  Loop
  LineTrace "until " + Str(n)
  Dim total As Integer
  For i = 1 To 100
    If i > 4 Then
      Exit For
    ElseIf i Mod 2 = 0 Then
      total = total + 10
    Else
      total = total + 1
    End If
  Next
  LineTrace "for exit " + Str(total) + " at " + Str(i)
End Sub
