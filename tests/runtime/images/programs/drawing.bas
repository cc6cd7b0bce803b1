' Draws into a new picture: a thick line, filled shapes, a polygon from an
' array and text, then reads pixels back through the picture's RGBSurface and
' its Graphics, and the parts of a colour; the results go to the trace.
Sub Main()
  Dim p As Picture = NewPicture(100, 60, 32)
  Dim g As Graphics = p.Graphics
  g.ForeColor = &cFF0000
  g.PenHeight = 3
  g.DrawLine 10, 5, 2, 5
  Dim s As RGBSurface = p.RGBSurface
  LineTrace "line " + Hex(s.Pixel(2, 7)) + " " + Hex(s.Pixel(10, 5)) + " " + Hex(s.Pixel(11, 5)) + " " + Hex(s.Pixel(2, 8))
  g.ForeColor = RGB(0, 128, 0)
  g.FillRect 20, 0, 10, 10
  g.FillOval 40, 0, 20, 20
  LineTrace "shapes " + Hex(g.Pixel(25, 5)) + " " + Hex(g.Pixel(50, 10)) + " " + Hex(g.Pixel(40, 0))
  Dim points(6) As Integer
  points(1) = 70
  points(2) = 0
  points(3) = 99
  points(4) = 0
  points(5) = 70
  points(6) = 29
  g.ForeColor = &c0000FF
  g.FillPolygon points
  LineTrace "polygon " + Hex(g.Pixel(72, 2)) + " " + Hex(g.Pixel(97, 27))
  g.ForeColor = &c000000
  g.DrawString "Hi", 2, 50
  Dim inked As Integer
  Dim below As Integer
  For y As Integer = 30 To 59
    For x As Integer = 0 To 30
      If s.Pixel(x, y) = &c000000 Then
        If y > 50 Then
          below = below + 1
        Else
          inked = inked + 1
        End If
      End If
    Next
  Next
  If inked > 10 And below < inked Then LineTrace "text above its baseline"
  g.Pixel(0, 59) = &c123456
  Dim c As Color = s.Pixel(0, 59)
  LineTrace "parts " + Str(c.Red) + " " + Str(c.Green) + " " + Str(c.Blue)
  Quit
End Sub
