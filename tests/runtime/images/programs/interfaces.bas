' Shapes through interfaces: classes that implement an interface (one that
' extends another), a subclass that inherits the implementation and
' overrides part of it, an array of the interface type, IsA and casts both
' ways with a refused cast caught, a call through a nil reference, an
' exception caught by an interface it implements, and the
' runtime's own interfaces: one implemented by a class of the program, one
' a check box and an edit field of a window implement. The window is Named too.
Project
  MainWindow = Board
End Project

Interface Named
  Function Name() As String
End Interface

Interface Shape Inherits Named
  Function Area() As Double
  Sub Scale(factor As Double)
End Interface

Interface Solid
  Function Volume(depth As Double) As Double
End Interface

Class Circle Implements Shape
  Property Radius As Double
  Function Name() As String
    Return "circle"
  End Function
  Function Area() As Double
    Return 3 * Radius * Radius
  End Function
  Sub Scale(factor As Double)
    Radius = Radius * factor
  End Sub
End Class

Class Rect Implements Shape
  Property W As Double
  Property H As Double
  Function Name() As String
    Return "rect"
  End Function
  Function Area() As Double
    Return W * H
  End Function
  Sub Scale(factor As Double)
    W = W * factor
    H = H * factor
  End Sub
End Class

' Inherits Area and Scale; its own Name is the one calls through Shape reach.
Class Square Inherits Rect Implements Solid
  Function Name() As String
    Return "square"
  End Function
  Function Volume(depth As Double) As Double
    Return Area() * depth
  End Function
End Class

' An exception that is also Named: caught by the interface.
Class Puzzle Inherits RuntimeException Implements Named
  Function Name() As String
    Return "puzzle"
  End Function
End Class

Class Label Implements StringProvider
  Property Text As String
  Function getString() As String
    Return "<" + Text + ">"
  End Function
End Class

Module Shapes
  Function Biggest(list() As Shape) As Shape
    Dim best As Shape
    For i As Integer = 0 To UBound(list)
      If best = Nil Then
        best = list(i)
      ElseIf list(i).Area() > best.Area() Then
        best = list(i)
      End If
    Next
    Return best
  End Function

  Function Describe(n As Named) As String
    Return n.Name()
  End Function
End Module

Window Board Implements Named
  Title = "Interfaces"
  Width = 300
  Height = 120
  Control Tick As CheckBox
    Left = 10
    Top = 10
    Width = 120
    Height = 20
    Caption = "tick"
  End Control
  Control Entry As EditField
    Left = 10
    Top = 40
    Width = 200
    Height = 22
  End Control
  Property Favourite As Shape

  Function Name() As String
    Return "board"
  End Function

  Handler Open()
    Dim c As New Circle
    c.Radius = 1
    Dim r As New Rect
    r.W = 2
    r.H = 3
    Dim sq As New Square
    sq.W = 2
    sq.H = 2
    Dim all(2) As Shape
    all(0) = c
    all(1) = r
    all(2) = sq
    Dim line As String
    For i As Integer = 0 To 2
      all(i).Scale(2)
      line = line + all(i).Name() + " " + Str(all(i).Area()) + " "
    Next
    LineTrace line
    Favourite = Shapes.Biggest(all)
    LineTrace "biggest " + Favourite.Name + " named " + Shapes.Describe(sq) + " " + Shapes.Describe(Self)

    Dim n As Named = all(2)
    If n IsA Shape And n IsA Solid And Not (n IsA Circle) Then LineTrace "a square is a Shape and a Solid"
    Dim back As Rect = Rect(n)
    Dim depth As Solid = Solid(all(2))
    LineTrace "cast back " + Str(back.W) + " volume " + Str(depth.Volume(0.5))
    If Not (all(1) IsA Solid) Then LineTrace "a rect is no Solid"
    Try
      depth = Solid(all(1))
      LineTrace "not reached"
    Catch e As IllegalCastException
      LineTrace "rect to Solid refused"
    End Try

    Dim none As Shape
    Try
      LineTrace none.Name()
    Catch nilErr As NilObjectException
      LineTrace "nil shape caught"
    End Try

    Try
      Raise New Puzzle
    Catch named As Named
      LineTrace "caught a " + named.Name()
    End Try

    Dim l As New Label
    l.Text = "hi"
    Dim p As StringProvider = l
    Tick.Value = True
    Dim b As BooleanProvider = Tick
    Dim s As StringInterface = Entry
    s.setString("typed")
    Dim ticked As String = "unticked"
    If b.getBoolean() Then ticked = "ticked"
    LineTrace "provided " + p.getString() + " " + ticked + " " + Entry.Text
    Quit
  End Handler
End Window
