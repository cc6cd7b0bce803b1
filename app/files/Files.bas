' Files: a small text viewer and editor. Open... chooses a text file through
' the system's open dialog (the project's Text type as the filter), shows it in
' the editor (converted from the encoding it is guessed to be in) and lists the folder it lies in with each entry's size and date;
' Save As... writes the editor's text where the save dialog says; Export...
' does the same through a SaveAsDialog of its own title, button and suggested
' name, starting in the open file's folder. A click on a listed file opens it too.
Project
  ApplicationName = "Files"
  MainWindow = FilesWindow
  FileType "Text", "", "TEXT", ".txt;.text"
  FileType "Any file", "", "????", ""
End Project

Window FilesWindow
  Title = "Files"
  Width = 600
  Height = 440

  Control OpenButton As PushButton
    Left = 12
    Top = 12
    Width = 90
    Height = 24
    Caption = "Open..."
  End Control
  Control SaveButton As PushButton
    Left = 110
    Top = 12
    Width = 90
    Height = 24
    Caption = "Save As..."
  End Control
  Control ExportButton As PushButton
    Left = 208
    Top = 12
    Width = 90
    Height = 24
    Caption = "Export..."
  End Control
  Control PathText As StaticText
    Left = 306
    Top = 16
    Width = 282
    Height = 18
    Text = "No file open."
  End Control
  Control Entries As Listbox
    Left = 12
    Top = 46
    Width = 240
    Height = 346
    ColumnCount = 3
    ColumnWidths = "50%,20%"
    HasHeading = True
  End Control
  Control Viewer As EditField
    Left = 262
    Top = 46
    Width = 326
    Height = 346
    MultiLine = True
    Alignment = 1
  End Control
  Control StatusText As StaticText
    Left = 12
    Top = 404
    Width = 576
    Height = 18
    Text = "Open a text file to begin."
  End Control

  Property Current As FolderItem
  Property Listed As FolderItem

  Handler Open()
    Entries.Heading(0) = "Name"
    Entries.Heading(1) = "Size"
    Entries.Heading(2) = "Modified"
    Entries.ColumnAlignment(1) = 3
  End Handler

  ' The folder's entries, each with its size (folders show none) and the
  ' date it was last changed.
  Sub ListFolder(folder As FolderItem)
    Listed = folder
    Entries.DeleteAllRows
    Dim n As Integer = folder.Count
    For i As Integer = 1 To n
      Dim entry As FolderItem = folder.Item(i)
      If entry <> Nil Then
        Entries.AddRow entry.Name
        If Not entry.Directory Then Entries.Cell(Entries.LastIndex, 1) = Str(entry.Length)
        Dim changed As Date = entry.ModificationDate
        If changed <> Nil Then Entries.Cell(Entries.LastIndex, 2) = changed.ShortDate
      End If
    Next
  End Sub

  ' Reads the whole file into the viewer line by line.
  Sub ShowFile(f As FolderItem)
    Dim input As TextInputStream = f.OpenAsTextFile
    If input = Nil Then
      StatusText.Text = "Cannot open " + f.Name
      Return
    End If
    Dim text As String = ""
    Dim lines As Integer = 0
    While Not input.EOF
      If lines > 0 Then text = text + Chr(13) + Chr(10)
      text = text + input.ReadLine
      lines = lines + 1
    Wend
    input.Close
    ' Text in another encoding (UTF-8, EUC-JP ...) is shown in the application's own.
    Dim encoding As TextEncoding = GuessJapaneseEncoding(text)
    Dim own As TextEncoding = GetTextEncoding(0)
    Dim encodingName As String = "unknown encoding"
    If encoding <> Nil Then
      encodingName = encoding.InternetName
      If encoding.Base <> own.Base Then text = GetTextConverter(encoding, own).Convert(text)
    End If
    Viewer.Text = text
    Current = f
    PathText.Text = f.AbsolutePath
    StatusText.Text = "Opened " + f.Name + ": " + Str(lines) + " lines, " + Str(f.Length) + " bytes, type " + f.Type + ", " + encodingName
    ListFolder f.Parent
  End Sub

  Handler OpenButton.Action()
    Dim f As FolderItem = GetOpenFolderItem("Text;Any file")
    If f = Nil Then
      StatusText.Text = "Open cancelled."
      Return
    End If
    ShowFile f
  End Handler

  Handler SaveButton.Action()
    Dim name As String = "untitled.txt"
    If Current <> Nil Then name = Current.Name
    Dim f As FolderItem = GetSaveFolderItem("Text", name)
    If f = Nil Then
      StatusText.Text = "Save cancelled."
      Return
    End If
    SaveTo f
  End Handler

  Handler ExportButton.Action()
    Dim d As New SaveAsDialog
    d.Title = "Export a copy"
    d.ActionButtonCaption = "Export"
    d.SuggestedFileName = "copy.txt"
    d.Filter = "Text"
    If Current <> Nil Then d.InitialDirectory = Current.Parent
    Dim f As FolderItem = d.ShowModal
    If f = Nil Then
      StatusText.Text = "Export cancelled."
      Return
    End If
    SaveTo f
  End Handler

  ' Writes the editor's text to the file and lists its folder.
  Sub SaveTo(f As FolderItem)
    Dim out As TextOutputStream = f.CreateTextFile
    If out = Nil Then
      StatusText.Text = "Cannot write " + f.Name
      Return
    End If
    out.Write(Viewer.Text)
    out.Close
    Current = f
    PathText.Text = f.AbsolutePath
    StatusText.Text = "Saved " + f.Name + ": " + Str(f.Length) + " bytes"
    ListFolder f.Parent
  End Sub

  Handler Entries.Change()
    If Entries.ListIndex < 0 Or Listed = Nil Then Return
    Dim f As FolderItem = Listed.Child(Entries.Cell(Entries.ListIndex, 0))
    If f <> Nil And Not f.Directory Then ShowFile f
  End Handler
End Window
