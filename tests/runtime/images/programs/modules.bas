' A module of utilities used from two classes and from Main: its constant,
' a module property counting calls, its functions, reached by their bare
' names and through the module's name; class constants, inherited and
' shadowed.
Module Tally
  Const Prefix = ">"
  Const Limit As Double = 3
  Property Calls As Integer
  Function Tag(s As String) As String
    Calls = Calls + 1
    Return Prefix + s
  End Function
  Sub Reset()
    Calls = 0
  End Sub
  Function Clamp(x As Double) As Double
    Calls = Calls + 1
    If x > Limit Then Return Limit
    Return x
  End Function
End Module

Class Counter
  Const Stride = 2
  Const Name = "counter"
  Property Value As Integer
  Function Bump() As String
    Value = Value + Stride
    Return Tag(Name + " " + Str(Value))
  End Function
End Class

Class BigCounter Inherits Counter
  Const Name = "big"
  Function Describe() As String
    Return Tally.Tag(Name + " stride " + Str(Stride))
  End Function
End Class

Class Gauge
  Function Read(x As Double) As String
    Return Tally.Prefix + Str(Tally.Clamp(x))
  End Function
End Class

Sub Main()
  Dim c As New Counter
  Dim first As String = c.Bump()
  LineTrace first + " " + c.Bump()
  Dim b As New BigCounter
  first = b.Bump()
  LineTrace first + " " + b.Describe()
  Dim g As New Gauge
  first = g.Read(1.5)
  LineTrace first + " " + g.Read(7)
  LineTrace "calls " + Str(Tally.Calls) + " " + Str(Calls)
  Tally.Calls = 10
  Tally.Reset
  LineTrace "after reset " + Str(Calls) + " limit " + Str(Limit)
End Sub
