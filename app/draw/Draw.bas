' Draw: a sheet of squared paper to draw on with the mouse. The paper is a
' picture drawn in code and shown as the canvas's backdrop; the strokes go
' into a second picture whose white is transparent, painted over it. The pen
' takes a colour from the pop-up menu and a width from the slider; Save BMP
' writes paper and ink to drawing.bmp beside the program, and Copy puts the
' same picture on the clipboard.
Project
  ApplicationName = "Draw"
  MainWindow = DrawWindow
End Project

Window DrawWindow
  Title = "Draw"
  Width = 424
  Height = 396

  Control Sheet As Canvas
    Left = 12
    Top = 12
    Width = 400
    Height = 300
  End Control
  Control PenMenu As PopupMenu
    Left = 12
    Top = 322
    Width = 100
    Height = 22
    InitialValue = "Black" + Chr(13) + "Red" + Chr(13) + "Blue"
  End Control
  Control WidthSlider As Slider
    Left = 120
    Top = 320
    Width = 100
    Height = 26
    Minimum = 1
    Maximum = 9
    Value = 3
  End Control
  Control ClearButton As PushButton
    Left = 228
    Top = 320
    Width = 56
    Height = 24
    Caption = "Clear"
  End Control
  Control SaveButton As PushButton
    Left = 290
    Top = 320
    Width = 66
    Height = 24
    Caption = "Save BMP"
  End Control
  Control CopyButton As PushButton
    Left = 362
    Top = 320
    Width = 50
    Height = 24
    Caption = "Copy"
  End Control
  Control StatusText As StaticText
    Left = 12
    Top = 356
    Width = 400
    Height = 18
    Text = "Drag on the paper to draw."
  End Control

  Property Paper As Picture
  Property Ink As Picture
  Property LastX As Integer
  Property LastY As Integer
  Property Strokes As Integer

  Handler Open()
    Paper = NewPicture(Sheet.Width, Sheet.Height, 32)
    DrawPaper Paper.Graphics
    Sheet.Backdrop = Paper
    ClearInk
    PenMenu.ListIndex = 0
  End Handler

  ' Squared paper: pale blue lines every 20 pixels, a red margin, a title,
  ' and a star in the corner drawn from a list of points.
  Sub DrawPaper(g As Graphics)
    g.ForeColor = &cFFFFF4
    g.FillRect 0, 0, g.Width, g.Height
    g.ForeColor = &cC8DCF0
    For x As Integer = 0 To g.Width Step 20
      g.DrawLine x, 0, x, g.Height
    Next
    For y As Integer = 0 To g.Height Step 20
      g.DrawLine 0, y, g.Width, y
    Next
    g.ForeColor = &cE06060
    g.DrawLine 40, 0, 40, g.Height
    g.ForeColor = &c404040
    g.TextSize = 14
    g.Bold = True
    g.DrawString "Sketch pad", 48, 16 + g.TextAscent
    Dim star(10) As Integer
    Dim cx As Integer = g.Width - 30
    Dim cy As Integer = 30
    star(1) = cx
    star(2) = cy - 20
    star(3) = cx + 12
    star(4) = cy + 16
    star(5) = cx - 19
    star(6) = cy - 6
    star(7) = cx + 19
    star(8) = cy - 6
    star(9) = cx - 12
    star(10) = cy + 16
    g.ForeColor = &cF0C020
    g.FillPolygon star
    g.ForeColor = &c806000
    g.DrawPolygon star
    g.DrawRoundRect 4, 4, g.Width - 8, g.Height - 8, 12, 12
  End Sub

  Sub ClearInk()
    Ink = NewPicture(Sheet.Width, Sheet.Height, 32)
    Ink.Transparent = 1
    Strokes = 0
  End Sub

  Function PenColor() As Color
    If PenMenu.ListIndex = 1 Then Return &cD02020
    If PenMenu.ListIndex = 2 Then Return &c2040D0
    Return &c000000
  End Function

  ' A line of the pen's colour and width, into the ink and on the sheet.
  Sub Stroke(g As Graphics, x1 As Integer, y1 As Integer, x2 As Integer, y2 As Integer)
    g.ForeColor = PenColor
    g.PenWidth = WidthSlider.Value
    g.PenHeight = WidthSlider.Value
    g.DrawLine x1, y1, x2, y2
  End Sub

  ' Paper and ink together, as one picture.
  Function Drawing() As Picture
    Dim p As Picture = NewPicture(Paper.Width, Paper.Height, 32)
    p.Graphics.DrawPicture Paper, 0, 0
    p.Graphics.DrawPicture Ink, 0, 0
    Return p
  End Function

  Handler Sheet.Paint(g As Graphics)
    g.DrawPicture Ink, 0, 0
  End Handler

  Handler Sheet.MouseDown(X As Integer, Y As Integer) As Boolean
    LastX = X
    LastY = Y
    Return True
  End Handler

  Handler Sheet.MouseDrag(X As Integer, Y As Integer)
    If X = LastX And Y = LastY Then Return
    Stroke Ink.Graphics, LastX, LastY, X, Y
    Stroke Sheet.Graphics, LastX, LastY, X, Y
    LastX = X
    LastY = Y
  End Handler

  Handler Sheet.MouseUp(X As Integer, Y As Integer)
    Strokes = Strokes + 1
    StatusText.Text = "Strokes: " + Str(Strokes)
  End Handler

  Handler ClearButton.Action()
    ClearInk
    Sheet.Refresh
    StatusText.Text = "Cleared."
  End Handler

  Handler SaveButton.Action()
    Dim f As FolderItem = GetFolderItem("drawing.bmp")
    Dim p As Picture = Drawing
    f.SaveAsPicture p
    StatusText.Text = "Saved " + f.Name + " (" + Str(p.Width) + " x " + Str(p.Height) + ")"
  End Handler

  Handler CopyButton.Action()
    Dim p As Picture = Drawing
    Dim c As New Clipboard
    c.Picture = p
    c.Close
    StatusText.Text = "Copied " + Str(p.Width) + " x " + Str(p.Height) + " to the clipboard"
  End Handler
End Window
