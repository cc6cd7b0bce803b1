' The kinds of shape: each one implements the Shape interface, so the board,
' the list and the totals handle every kind through one type. Perimeters
' come from the geometry plug-in the program carries. A square is a
' rectangle with equal sides; a triangle stands on its base.

Interface Named
  Function Name() As String
End Interface

Interface Shape Inherits Named
  Function Area() As Double
  Function Perimeter() As Double
  Function Sizes() As String
  Function Tint() As Color
  Sub Draw(g As Graphics, cx As Integer, cy As Integer, fill As Color)
End Interface

Class Circle Implements Shape
  Property Radius As Double
  Function Name() As String
    Return "Circle"
  End Function
  Function Area() As Double
    Return Pi * Radius * Radius
  End Function
  Function Perimeter() As Double
    Return CirclePerimeter(Radius)
  End Function
  Function Sizes() As String
    Return "radius " + Str(Radius)
  End Function
  Function Tint() As Color
    Return &c3070D0
  End Function
  Sub Draw(g As Graphics, cx As Integer, cy As Integer, fill As Color)
    Dim r As Integer = Round(Radius)
    g.ForeColor = fill
    g.FillOval cx - r, cy - r, 2 * r, 2 * r
    g.ForeColor = Outline
    g.DrawOval cx - r, cy - r, 2 * r, 2 * r
  End Sub
End Class

Class Rect Implements Shape
  Property W As Double
  Property H As Double
  Function Name() As String
    Return "Rectangle"
  End Function
  Function Area() As Double
    Return W * H
  End Function
  Function Perimeter() As Double
    Return RectanglePerimeter(W, H)
  End Function
  Function Sizes() As String
    Return Str(W) + " x " + Str(H)
  End Function
  Function Tint() As Color
    Return &c30A050
  End Function
  Sub Draw(g As Graphics, cx As Integer, cy As Integer, fill As Color)
    Dim w2 As Integer = Round(W / 2)
    Dim h2 As Integer = Round(H / 2)
    g.ForeColor = fill
    g.FillRect cx - w2, cy - h2, 2 * w2, 2 * h2
    g.ForeColor = Outline
    g.DrawRect cx - w2, cy - h2, 2 * w2, 2 * h2
  End Sub
End Class

Class Square Inherits Rect
  Sub SetSide(side As Double)
    W = side
    H = side
  End Sub
  Function Name() As String
    Return "Square"
  End Function
  Function Sizes() As String
    Return "side " + Str(W)
  End Function
  Function Tint() As Color
    Return &cD08030
  End Function
End Class

Class Triangle Implements Shape
  Property Base As Double
  Property Height As Double
  Function Name() As String
    Return "Triangle"
  End Function
  Function Area() As Double
    Return Base * Height / 2
  End Function
  Function Perimeter() As Double
    Return TrianglePerimeter(Base, Height)
  End Function
  Function Sizes() As String
    Return "base " + Str(Base) + ", height " + Str(Height)
  End Function
  Function Tint() As Color
    Return &cC03060
  End Function
  Sub Draw(g As Graphics, cx As Integer, cy As Integer, fill As Color)
    Dim b2 As Integer = Round(Base / 2)
    Dim h2 As Integer = Round(Height / 2)
    Dim corners(6) As Integer
    corners(1) = cx - b2
    corners(2) = cy + h2
    corners(3) = cx + b2
    corners(4) = cy + h2
    corners(5) = cx
    corners(6) = cy - h2
    g.ForeColor = fill
    g.FillPolygon corners
    g.ForeColor = Outline
    g.DrawPolygon corners
  End Sub
End Class

' What the board holds and the measures both windows show: the shapes in the
' order they were added, the count of each kind (kept in the Counts object),
' and areas and lengths written the one way.
Module Gallery
  Const Pi As Double = 3.14159265358979
  Const MaxShapes = 12
  Const Largest = 90
  Const Outline = &c202020
  Const Highlight = &cF0D020
  Dim Items() As Shape
  Property Added As Integer

  Sub Keep(s As Shape)
    Items.Append s
    Added = Added + 1
    Dim n As Integer
    If Counts.HasKey(s.Name()) Then n = Counts.Value(s.Name())
    Counts.Value(s.Name()) = n + 1
  End Sub

  Function CountOf(kind As String) As Integer
    If Counts.HasKey(kind) Then Return Counts.Value(kind)
    Return 0
  End Function

  Function TotalArea() As Double
    Dim sum As Double
    For i As Integer = 0 To UBound(Items)
      sum = sum + Items(i).Area()
    Next
    Return sum
  End Function

  ' Whether text is a plain decimal number: digits with at most one point.
  ' (Val alone would read "12abc" as 12.)
  Function IsDecimal(text As String) As Boolean
    Dim digits As Integer
    Dim points As Integer
    For i As Integer = 1 To Len(text)
      Dim c As String = Mid(text, i, 1)
      If c = "." Then
        points = points + 1
      ElseIf c >= "0" And c <= "9" Then
        digits = digits + 1
      Else
        Return False
      End If
    Next
    Return digits > 0 And points <= 1
  End Function

  Function Rounded(a As Double) As String
    Return Format(a, "#,##0.00")
  End Function

  Function Plural(n As Integer, word As String) As String
    If n = 1 Then Return "1 " + word
    Return Str(n) + " " + word + "s"
  End Function

  Function Summary() As String
    Return Plural(UBound(Items) + 1, "shape") + ", total area " + Rounded(TotalArea())
  End Function
End Module
