' A window with a hierarchical three-column list: rows, cells and their
' styles, sorts through SortColumn and CompareRows, runs of selected rows, and
' folders opened with their children and closed again, each read back into
' the trace; then Main closes the window.
Sub Main()
  Lists.Show
  Lists.Close
End Sub

Window Lists
  Title = "Lists"
  Width = 400
  Height = 300
  Control List As Listbox
    Left = 10
    Top = 10
    Width = 300
    Height = 200
    ColumnCount = 3
    ColumnWidths = "50%,,"
    HasHeading = True
    Hierarchical = True
    SelectionType = 1
  End Control
  Property Compared As Integer
  Property Events As String

  Function YN(b As Boolean) As String
    If b Then Return "T"
    Return "F"
  End Function

  Sub AddItem(name As String, count As Integer)
    List.AddRow name
    List.Cell(List.LastIndex, 1) = Str(count)
  End Sub

  ' Column 0 of every row, each after a space.
  Function Rows() As String
    Dim s As String
    For i As Integer = 0 To List.ListCount - 1
      s = s + " " + List.List(i)
    Next
    Return s
  End Function

  Handler Open()
    LineTrace "columns " + Str(List.ColumnCount) + " " + List.ColumnWidths + " " + List.Heading(0) + List.Heading(2)
    List.Heading(0) = "Name"
    List.ColumnCount = 100
    LineTrace "headings " + List.Heading(0) + " " + List.Heading(1) + " at most " + Str(List.ColumnCount)
    List.ColumnCount = 3
    AddItem "pear", 7
    AddItem "apple", 12
    AddItem "fig", 3
    LineTrace "cell [" + List.Cell(0, 5) + "]"
    List.Cell(0, 5) = "x"
    List.CellBold(0, 1) = True
    List.CellItalic(1, 0) = True
    List.CellUnderline(2, 0) = True
    List.CellCheck(2, 2) = True
    List.CellType(2, 2) = 2
    List.ColumnType(1) = 3
    List.CellAlignment(0, 1) = 3
    List.CellBorderTop(0, 0) = 1
    List.RowPicture(1) = NewPicture(8, 8, 32)
    Dim p As Picture = List.RowPicture(1)
    LineTrace "styles " + List.Cell(0, 5) + " " + YN(List.CellBold(0, 1)) + YN(List.CellBold(0, 0)) + YN(List.CellItalic(1, 0)) + YN(List.CellUnderline(2, 0)) + YN(List.CellCheck(2, 2)) + YN(List.CellCheck(1, 2)) + " " + Str(List.CellType(2, 2)) + Str(List.CellType(0, 1)) + Str(List.ColumnType(1)) + Str(List.CellAlignment(0, 1)) + Str(List.CellBorderTop(0, 0)) + " picture " + Str(p.Width)

    List.HeadingIndex = 1
    LineTrace "by count" + Rows + " compared " + YN(Compared > 0)
    List.ColumnSortDirection(1) = -1
    List.Sort
    LineTrace "descending" + Rows
    List.ColumnSortDirection(1) = 0
    List.Sort
    LineTrace "unsorted" + Rows
    List.HeadingIndex = 0
    LineTrace "by name" + Rows + " sort events" + Events

    AddItem "kiwi", 5
    AddItem "lime", 9
    List.Selected(2) = True
    List.Selected(3) = True
    List.Selected(4) = True
    LineTrace "runs " + Str(List.SelCount) + " " + Str(List.ListIndex)
    List.Selected(3) = False
    LineTrace "split " + Str(List.SelCount) + " " + Str(List.ListIndex) + " " + YN(List.Selected(3)) + YN(List.Selected(4))
    List.ListIndex = 1
    LineTrace "one " + Str(List.SelCount) + " " + List.Text
    List.ListIndex = -1

    Events = ""
    List.AddFolder "box"
    Dim box As Integer = List.LastIndex
    List.Expanded(box) = True
    List.Expanded(box + 2) = True
    AddItem "zinc", 1
    List.Expanded(0) = True
    LineTrace "opened" + Rows + " " + YN(List.Expanded(box)) + YN(List.Expanded(0)) + Events
    List.HeadingIndex = 0
    LineTrace "groups" + Rows
    Events = ""
    box = 1
    List.Expanded(box) = False
    LineTrace "closed" + Rows + Events

    List.InsertRow -5, "first"
    LineTrace "insert " + Str(List.LastIndex)
    List.InsertRow List.ListCount + 10, "last"
    LineTrace "append " + Str(List.LastIndex) + " of " + Str(List.ListCount)
    List.RemoveRow 0
    List.List(0) = "APPLE"
    List.ListIndex = 0
    List.Text = List.Text + "!"
    LineTrace "edited " + List.List(0) + " " + List.Text
    Try
      LineTrace List.List(List.ListCount)
    Catch e As OutOfBoundsException
      LineTrace "row caught"
    End Try
    Try
      List.Cell(0, 64) = "y"
    Catch e As OutOfBoundsException
      LineTrace "column caught"
    End Try
    List.DeleteAllRows
    LineTrace "emptied " + Str(List.ListCount) + " " + Str(List.ListIndex)
  End Handler

  Handler List.Change()
    LineTrace "change " + Str(List.ListIndex)
  End Handler

  Handler List.SortColumn(column As Integer) As Boolean
    Events = Events + " " + Str(column)
    Return False
  End Handler

  Handler List.CompareRows(row1 As Integer, row2 As Integer, column As Integer, ByRef result As Integer) As Boolean
    If column <> 1 Then Return False
    Compared = Compared + 1
    result = Val(List.Cell(row1, 1)) - Val(List.Cell(row2, 1))
    Return True
  End Handler

  Handler List.ExpandRow(row As Integer)
    Events = Events + " open " + List.List(row)
    If List.List(row) = "box" Then
      List.AddRow "nail"
      List.AddFolder "inner"
    Else
      List.AddRow "screw"
    End If
  End Handler

  Handler List.CollapseRow(row As Integer)
    Events = Events + " close " + List.List(row)
  End Handler
End Window
