' Operands, arguments and array indexes run left to right: each call below
' bumps a counter, so the order shows in what is traced.
Class Counter
  Property N As Integer
  Function Bump() As String
    N = N + 1
    Return Str(N)
  End Function
  Function Tick() As Integer
    N = N + 1
    Return N
  End Function
End Class

Class Base
  Function Join(a As String, b As String) As String
    Return a + b
  End Function
End Class

Class Child Inherits Base
  Function Join(a As String, b As String) As String
    Return "child:" + a + b
  End Function
End Class

Dim gHeld As String

Function Three(a As String, b As String, c As String) As String
  Return a + b + c
End Function

Function Mix(a As Integer, d As Double, s As String) As String
  Return Str(a) + " " + Str(d * 2) + " " + s
End Function

' Gives gHeld a new string: the one it had is freed unless someone holds it.
Function Replace() As String
  gHeld = Str(200) + "y"
  Return "!"
End Function

Sub Main()
  Dim c As New Counter
  LineTrace "concat " + c.Bump() + " " + c.Bump()
  LineTrace "args " + Three(c.Bump(), c.Bump(), c.Bump())
  Dim grid(9, 9) As Integer
  grid(c.Tick(), c.Tick()) = 1
  LineTrace "index " + Str(grid(6, 7)) + Str(grid(7, 6))
  LineTrace "read " + Str(grid(c.Tick() - 2, c.Tick() - 2))
  If c.Bump() < c.Bump() Then LineTrace "compare in order"
  LineTrace "mixed " + Mix(c.Tick(), c.Tick() / 2, c.Bump())
  Dim b As Base = New Child
  LineTrace "dispatched " + b.Join(c.Bump(), c.Bump())
  gHeld = Str(100) + "x"
  Dim t As String = gHeld + Replace()
  LineTrace "held " + t + " now " + gHeld
End Sub
