' Scrapbook: notes dragged from one field into another, a board that takes
' pictures, picture files and text dropped on it (and is dragged out again as
' a picture with its note), and a list of the files dropped on the window or
' on the list from a file manager, whose names drag out again as text.
Project
  ApplicationName = "Scrapbook"
  MainWindow = ScrapWindow
  FileType "Picture", "", "BMPf", ".bmp;.png;.jpg;.gif"
End Project

Window ScrapWindow
  Title = "Scrapbook"
  Width = 560
  Height = 430

  Control NotesLabel As StaticText
    Left = 12
    Top = 10
    Width = 260
    Height = 18
    Text = "Notes: select text and drag it"
  End Control
  Control Notes As EditField
    Left = 12
    Top = 30
    Width = 260
    Height = 150
    MultiLine = True
    Text = "paper glue scissors"
  End Control
  Control KeptLabel As StaticText
    Left = 288
    Top = 10
    Width = 260
    Height = 18
    Text = "Kept: drop text here"
  End Control
  Control Kept As EditField
    Left = 288
    Top = 30
    Width = 260
    Height = 150
    MultiLine = True
    Text = ""
  End Control
  Control BoardLabel As StaticText
    Left = 12
    Top = 194
    Width = 260
    Height = 18
    Text = "Board: drop a picture, a picture file or text"
  End Control
  Control Board As Canvas
    Left = 12
    Top = 214
    Width = 260
    Height = 170
  End Control
  Control FilesLabel As StaticText
    Left = 288
    Top = 194
    Width = 260
    Height = 18
    Text = "Files dropped on the window"
  End Control
  Control FileList As Listbox
    Left = 288
    Top = 214
    Width = 260
    Height = 170
    EnableDrag = True
  End Control
  Control Status As StaticText
    Left = 12
    Top = 396
    Width = 536
    Height = 18
    Text = "Drop files anywhere on the window."
  End Control

  Property Shown As Picture
  Property Note As String
  Property PressX As Integer
  Property PressY As Integer

  Handler Open()
    Board.AcceptTextDrop
    Board.AcceptPictureDrop
    Board.AcceptFileDrop "Picture"
    FileList.AcceptFileDrop ""
    AcceptFileDrop ""
  End Handler

  ' Every file or folder of the drop, by name, into the list.
  Sub ListFiles(obj As DragItem)
    Dim n As Integer = 0
    Dim more As Boolean = True
    While more
      If obj.FolderItemAvailable Then
        FileList.AddRow obj.FolderItem.Name
        n = n + 1
      End If
      more = obj.NextItem
    Wend
    Status.Text = Str(n) + " files dropped, " + Str(FileList.ListCount) + " listed"
  End Sub

  Handler DropObject(obj As DragItem)
    ListFiles obj
  End Handler

  Handler FileList.DropObject(obj As DragItem)
    ListFiles obj
  End Handler

  ' A listed name dragged out of the list goes as text.
  Handler FileList.DragRow(drag As DragItem, row As Integer) As Boolean
    drag.Text = FileList.List(row)
    Return True
  End Handler

  Handler Board.DropObject(obj As DragItem)
    If obj.PictureAvailable Then
      Shown = obj.Picture
      Status.Text = "Picture dropped: " + Str(Shown.Width) + " x " + Str(Shown.Height)
    ElseIf obj.FolderItemAvailable Then
      Shown = obj.FolderItem.OpenAsPicture
      Status.Text = "Picture file dropped: " + obj.FolderItem.Name
    ElseIf obj.TextAvailable Then
      Note = obj.Text
      Status.Text = "Text dropped at " + Str(obj.DropLeft) + "," + Str(obj.DropTop)
    End If
    Board.Refresh
  End Handler

  Handler Board.Paint(g As Graphics)
    g.ForeColor = &cFFF8E0
    g.FillRect 0, 0, g.Width, g.Height
    If Shown <> Nil Then g.DrawPicture Shown, 10, 10
    g.ForeColor = &c303030
    g.DrawString Note, 10, g.Height - 12
  End Handler

  ' A drag of the board (once the mouse has moved a little) carries its
  ' picture and its note.
  Handler Board.MouseDown(X As Integer, Y As Integer) As Boolean
    PressX = X
    PressY = Y
    Return Shown <> Nil Or Note <> ""
  End Handler

  Handler Board.MouseDrag(X As Integer, Y As Integer)
    If Abs(X - PressX) + Abs(Y - PressY) < 4 Then Return
    Dim d As DragItem = Board.NewDragItem(0, 0, Board.Width, Board.Height)
    If Note <> "" Then d.Text = Note
    If Shown <> Nil Then d.Picture = Shown
    d.Drag
  End Handler
End Window
