' A drag item made by a window: text and typed data (public and private) on
' its first item, a second item added over its own rectangle, a folder item
' kept by its path, and the walk that ends on the last item.
Project
  MainWindow = Main
End Project

Window Main
  Title = "Drag items"
  Width = 200
  Height = 100

  Function B(v As Boolean) As String
    If v Then Return "T"
    Return "F"
  End Function

  Handler Open()
    AcceptTextDrop
    AcceptFileDrop ""
    AcceptMacDataDrop "Note"
    Dim d As DragItem = NewDragItem(1, 2, 30, 40)
    LineTrace "new " + B(d.TextAvailable) + B(d.PictureAvailable) + B(d.FolderItemAvailable)
    d.Text = "first"
    d.MacData("Note") = "one"
    d.PrivateMacData("Mine") = "secret"
    LineTrace "first " + d.Text + " " + d.MacData("note") + " " + d.PrivateMacData("mine") + " " + B(d.MacDataAvailable("Other"))
    d.AddItem 5, 6, 7, 8
    LineTrace "second " + B(d.TextAvailable) + " [" + d.MacData("Note") + "]"
    d.FolderItem = GetFolderItem("notes.txt")
    LineTrace "file " + B(d.FolderItemAvailable) + " " + d.FolderItem.Name + " " + B(d.NextItem)
    LineTrace "drop " + Str(d.DropLeft) + "," + Str(d.DropTop)
    Quit
  End Handler
End Window
