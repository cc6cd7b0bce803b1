' Image classes: properties after the superclass, methods, constructors,
' New, Nil, IsA and casts, and overridden methods reached through a
' superclass reference or through Self.
Class Shape
  Property Name As String
  Property Sides As Integer
  Sub Constructor()
    Name = "shape"
  End Sub
  Function Describe() As String
    Return Name + " with " + Str(Sides) + " sides"
  End Function
  Function Label() As String
    Return "[" + Describe() + "]"
  End Function
End Class

Class Circle Inherits Shape
  Function Describe() As String
    Return "a circle"
  End Function
End Class

Class Square Inherits Shape
  Property Side As Double
  Sub Init(s As Double)
    Name = "square"
    Sides = 4
    Side = s
  End Sub
  Function Area() As Double
    Return Side * Side
  End Function
End Class

Sub Main()
  Dim sh As Shape = New Shape
  LineTrace sh.Describe()
  Dim sq As New Square
  sq.Init(1.5)
  LineTrace sq.Describe() + ", area " + Str(sq.Area())
  Dim any As Shape = sq
  If any IsA Square Then LineTrace "a Square is a Shape"
  If Not (sh IsA Square) Then LineTrace "a Shape is not a Square"
  Dim back As Square = Square(any)
  LineTrace "cast back: " + Str(back.Side)
  Dim nothing As Shape
  If nothing = Nil Then LineTrace "unset is Nil"
  If Not (nothing IsA Shape) Then LineTrace "Nil is no Shape"
  Dim round As Shape = New Circle
  LineTrace round.Describe() + " " + round.Label() + " " + sh.Label()
  sh = Nil
End Sub
