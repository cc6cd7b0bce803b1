' Shapes: a board of circles, rectangles, squares and triangles. Pick a kind,
' type its sizes and press Add: the shape is drawn on the board, over a paper
' backdrop tiled from a carried picture, and listed with its area; a chime
' plays. Selecting a row, or clicking a shape on the board, picks it out in
' yellow. Totals opens a second window with the count of each kind; Help
' shows the carried help text.
Project
  ApplicationName = "Shapes"
  MainWindow = ShapesWindow
End Project

Picture Paper = "media/paper.bmp"
Sound Pop = "media/pop.wav"
Cursor Cross = "media/cross.cur"
Text Help = "media/help.txt"
Object Counts As Dictionary

Window ShapesWindow
  Title = "Shapes"
  Width = 636
  Height = 460

  Control Board As Canvas
    Left = 12
    Top = 12
    Width = 400
    Height = 300
  End Control
  Control KindLabel As StaticText
    Left = 428
    Top = 14
    Width = 60
    Height = 18
    Text = "Kind"
  End Control
  Control KindMenu As PopupMenu
    Left = 500
    Top = 12
    Width = 124
    Height = 22
    InitialValue = "Circle" + Chr(13) + "Rectangle" + Chr(13) + "Square" + Chr(13) + "Triangle"
  End Control
  Control FirstLabel As StaticText
    Left = 428
    Top = 48
    Width = 70
    Height = 18
    Text = "Radius"
  End Control
  Control FirstField As EditField
    Left = 500
    Top = 46
    Width = 124
    Height = 22
    Text = ""
  End Control
  Control SecondLabel As StaticText
    Left = 428
    Top = 80
    Width = 70
    Height = 18
    Text = "Height"
  End Control
  Control SecondField As EditField
    Left = 500
    Top = 78
    Width = 124
    Height = 22
    Text = ""
  End Control
  Control AddButton As PushButton
    Left = 544
    Top = 112
    Width = 80
    Height = 24
    Caption = "Add"
  End Control
  Control StatusText As StaticText
    Left = 428
    Top = 150
    Width = 196
    Height = 54
    MultiLine = True
    Text = "Pick a kind, type its sizes and press Add."
  End Control
  Control SelectionText As StaticText
    Left = 428
    Top = 212
    Width = 196
    Height = 54
    MultiLine = True
    Text = "Nothing selected."
  End Control
  Control TotalsButton As PushButton
    Left = 428
    Top = 280
    Width = 92
    Height = 24
    Caption = "Totals..."
  End Control
  Control HelpButton As PushButton
    Left = 532
    Top = 280
    Width = 92
    Height = 24
    Caption = "Help"
  End Control
  Control List As Listbox
    Left = 12
    Top = 322
    Width = 612
    Height = 126
    ColumnCount = 3
    ColumnWidths = "25%,45%"
    HasHeading = True
    DefaultRowHeight = 20
  End Control

  ' The index of the shape picked out, or -1.
  Property Picked As Integer

  Handler Open()
    Picked = -1
    Board.Backdrop = PaperBackdrop(Board.Width, Board.Height)
    Board.MouseCursor = Cross
    List.Heading(0) = "Shape"
    List.Heading(1) = "Sizes"
    List.Heading(2) = "Area"
    KindMenu.ListIndex = 0
  End Handler

  ' The carried paper picture repeated across a picture of the given size.
  Function PaperBackdrop(width As Integer, height As Integer) As Picture
    Dim p As Picture = NewPicture(width, height, 32)
    If Paper.Width = 0 Or Paper.Height = 0 Then Return p ' packed without its resources
    For y As Integer = 0 To height Step Paper.Height
      For x As Integer = 0 To width Step Paper.Width
        p.Graphics.DrawPicture Paper, x, y
      Next
    Next
    Return p
  End Function

  ' The board is a grid of cells 100 pixels square, filled row by row.
  Function CellLeft(index As Integer) As Integer
    Return (index Mod 4) * 100
  End Function

  Function CellTop(index As Integer) As Integer
    Return (index \ 4) * 100
  End Function

  Handler KindMenu.Change()
    SecondField.Enabled = True
    Select Case KindMenu.ListIndex
    Case 0
      FirstLabel.Text = "Radius"
      SecondField.Enabled = False
    Case 1
      FirstLabel.Text = "Width"
    Case 2
      FirstLabel.Text = "Side"
      SecondField.Enabled = False
    Case 3
      FirstLabel.Text = "Base"
    End Select
    If SecondField.Enabled Then
      SecondLabel.Text = "Height"
    Else
      SecondLabel.Text = ""
      SecondField.Text = "" ' a size the kind does not take is not left showing
    End If
  End Handler

  ' A size read from a field: a number from 1 to most, or 0 after telling
  ' the user what is wrong with it.
  Function SizeFrom(field As EditField, label As String, most As Integer) As Double
    Dim text As String = Trim(field.Text)
    If IsDecimal(text) Then
      Dim v As Double = Val(text)
      If v >= 1 And v <= most Then Return v
    End If
    StatusText.Text = "The " + LCase(label) + " must be a number from 1 to " + Str(most) + "."
    Return 0
  End Function

  ' The shape the kind menu and the fields describe, or Nil when a size is wrong.
  Function NewShape() As Shape
    Dim most As Integer = Largest
    If KindMenu.ListIndex = 0 Then most = Largest \ 2
    Dim a As Double = SizeFrom(FirstField, FirstLabel.Text, most)
    If a = 0 Then Return Nil
    Dim b As Double
    If SecondField.Enabled Then
      b = SizeFrom(SecondField, SecondLabel.Text, Largest)
      If b = 0 Then Return Nil
    End If
    Select Case KindMenu.ListIndex
    Case 0
      Dim c As New Circle
      c.Radius = a
      Return c
    Case 1
      Dim r As New Rect
      r.W = a
      r.H = b
      Return r
    Case 2
      Dim sq As New Square
      sq.SetSide a
      Return sq
    End Select
    Dim t As New Triangle
    t.Base = a
    t.Height = b
    Return t
  End Function

  Handler AddButton.Action()
    If UBound(Items) + 1 >= MaxShapes Then
      StatusText.Text = "The board is full: it holds " + Str(MaxShapes) + " shapes."
      Return
    End If
    Dim s As Shape = NewShape()
    If s = Nil Then Return
    Keep s
    List.AddRow s.Name()
    List.Cell(List.LastIndex, 1) = s.Sizes()
    List.Cell(List.LastIndex, 2) = Rounded(s.Area())
    Pop.Play
    StatusText.Text = Summary()
    Board.Refresh
  End Handler

  Handler List.Change()
    Picked = List.ListIndex
    If Picked < 0 Then
      SelectionText.Text = "Nothing selected."
    Else
      Dim s As Shape = Items(Picked)
      SelectionText.Text = "Selected: " + s.Name() + ", " + s.Sizes() + ", area " + Rounded(s.Area()) + ", perimeter " + Rounded(s.Perimeter())
    End If
    Board.Refresh
  End Handler

  Handler Board.Paint(g As Graphics)
    For i As Integer = 0 To UBound(Items)
      Dim fill As Color = Items(i).Tint()
      If i = Picked Then fill = Highlight
      Items(i).Draw g, CellLeft(i) + 50, CellTop(i) + 50, fill
      g.ForeColor = Outline
      g.TextSize = 10
      g.DrawString Str(i + 1), CellLeft(i) + 4, CellTop(i) + 4 + g.TextAscent
    Next
  End Handler

  ' A click on a shape's cell selects its row, which picks the shape out.
  Handler Board.MouseDown(X As Integer, Y As Integer) As Boolean
    Dim index As Integer = (Y \ 100) * 4 + X \ 100
    If X >= 0 And Y >= 0 And X < 400 And index <= UBound(Items) Then List.ListIndex = index
    Return True
  End Handler

  Handler TotalsButton.Action()
    TotalsWindow.Show
  End Handler

  Handler HelpButton.Action()
    MsgBox Help.Text
  End Handler
End Window
