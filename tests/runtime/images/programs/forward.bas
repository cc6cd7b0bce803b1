' Routines that call routines compiled after them: class methods reach
' module routines, and Main reaches routines written below it, with Double,
' String and ByRef parameters, results, and a method overridden further down.
Class Counter
  Property Total As Double
  Sub Add(x As Double)
    Total = Scaled(Total, x)
  End Sub
  Function Name() As String
    Return "counter"
  End Function
End Class

Class Named Inherits Counter
  Function Name() As String
    Return "named " + Str(Total)
  End Function
End Class

Sub Main()
  Dim c As Counter = New Named
  c.Add(1.5)
  c.Add(2)
  Dim n As Integer = 3
  Dim s As String = "a"
  Grow(n, s)
  LineTrace c.Name() + " " + Str(n) + " " + s + " " + Pick(n) + " " + Pick(1)
End Sub

Function Scaled(t As Double, x As Double) As Double
  Return t + x * 2
End Function

Sub Grow(ByRef n As Integer, ByRef s As String)
  Dim k As Integer
  For k = 1 To n
    s = s + "b"
  Next
  n = n * 2
End Sub

Function Pick(n As Integer) As String
  Select Case n
  Case 6
    Return "six"
  Case Else
    Return "other"
  End Select
End Function
