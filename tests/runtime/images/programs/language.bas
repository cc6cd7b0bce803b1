' Constants, ByRef parameters (locals, module variables, properties and
' parameters passed on), ^ and Xor.
Const Greeting = "hi"
Const Limit As Double = 3

Dim counter As Integer

Class Box
  Property V As Integer
End Class

Sub Twice(ByRef n As Integer, ByRef s As String, ByRef d As Double)
  n = n * 2
  s = s + s
  d = d ^ 2
End Sub

Sub Again(ByRef n As Integer)
  Dim s As String = "-"
  Dim d As Double = 1
  Twice(n, s, d)
End Sub

Sub Main()
  Const Local = 5
  Dim n As Integer = Local
  Dim s As String = Greeting
  Dim d As Double = Limit
  Twice(n, s, d)
  LineTrace "byref " + Str(n) + " " + s + " " + Str(d)
  Dim b As New Box
  b.V = 21
  counter = 4
  Again(b.V)
  Again(counter)
  LineTrace "property " + Str(b.V) + " module " + Str(counter)
  LineTrace "pow " + Str(2 ^ 10) + " " + Str(2 ^ -1) + " " + Str(-2 ^ 2) + " " + Str(2 ^ 3 ^ 2)
  If (True Xor False) And Not (True Xor True) Then LineTrace "xor " + Str(12 Xor 10)
End Sub
