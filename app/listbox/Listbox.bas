' Listbox: a stock list of 10,000 generated items in a four-column list.
' Some items are kits: folders that list their parts when opened. A click on
' a heading sorts by that column (quantities as numbers, a second click turns
' the order round); the Checked column's boxes are counted below the list,
' the Note column is edited in place, and alternate rows are striped.
Project
  ApplicationName = "Listbox"
  MainWindow = StockWindow
End Project

Const kItems = 10000
Const kKitEvery = 50
Const kStripe = &cEEF3FA

Window StockWindow
  Title = "Stock"
  Width = 560
  Height = 440

  Control List As Listbox
    Left = 12
    Top = 12
    Width = 536
    Height = 340
    ColumnCount = 4
    ColumnWidths = "40%,18%,14%"
    HasHeading = True
    Hierarchical = True
    DefaultRowHeight = 20
    GridLinesVertical = True
  End Control
  Control SelectionText As StaticText
    Left = 12
    Top = 362
    Width = 536
    Height = 18
    Text = "Nothing selected."
  End Control
  Control CheckedText As StaticText
    Left = 12
    Top = 384
    Width = 260
    Height = 18
    Text = ""
  End Control
  Control StatusText As StaticText
    Left = 12
    Top = 406
    Width = 536
    Height = 18
    Text = ""
  End Control

  Property Seed As Integer
  Property CheckedCount As Integer

  ' A fixed sequence of numbers from 0 to limit - 1, the same on every run.
  Function NextNumber(limit As Integer) As Integer
    Seed = (Seed * 1103 + 12345) Mod 65536
    Return Seed Mod limit
  End Function

  Function ItemName(n As Integer) As String
    Dim colour As String = NthField("Red Blue Green Black White Steel Brass Oak", " ", n Mod 8 + 1)
    Dim thing As String = NthField("bolt nut washer hinge bracket spring clamp hook gasket pin", " ", (n \ 8) Mod 10 + 1)
    Return colour + " " + thing + " " + Format(n, "00000")
  End Function

  ' An item's row: its name, a quantity, its box checked for every seventh
  ' item, and a note on the ones that run low. Every kKitEvery-th item is a kit.
  Sub AddItem(n As Integer)
    If n Mod kKitEvery = 0 Then
      List.AddFolder "Kit " + Format(n \ kKitEvery, "000")
    Else
      List.AddRow ItemName(n)
    End If
    Dim row As Integer = List.LastIndex
    Dim quantity As Integer = NextNumber(1000)
    List.Cell(row, 1) = Str(quantity)
    If n Mod 7 = 0 Then
      List.CellCheck(row, 2) = True
      CheckedCount = CheckedCount + 1
    End If
    If quantity < 20 Then List.Cell(row, 3) = "reorder"
  End Sub

  Sub ShowChecked()
    CheckedText.Text = "Checked: " + Str(CheckedCount)
  End Sub

  Handler Open()
    List.Heading(0) = "Item"
    List.Heading(1) = "Quantity"
    List.Heading(2) = "Checked"
    List.Heading(3) = "Note"
    List.ColumnType(2) = 2
    List.ColumnType(3) = 3
    List.ColumnAlignment(1) = 3
    Seed = 7
    Dim started As Double = Microseconds
    For n As Integer = 1 To kItems
      AddItem n
    Next
    ShowChecked
    StatusText.Text = Str(List.ListCount) + " items listed in " + Format((Microseconds - started) / 1000000, "0.00") + " s"
  End Handler

  Handler List.Change()
    If List.ListIndex < 0 Then
      SelectionText.Text = "Nothing selected."
      Return
    End If
    SelectionText.Text = "Selected: " + List.Cell(List.ListIndex, 0) + ", quantity " + List.Cell(List.ListIndex, 1)
  End Handler

  ' A kit lists its parts: three of them, each with its own quantity.
  Handler List.ExpandRow(row As Integer)
    Dim kit As String = List.Cell(row, 0)
    For part As Integer = 1 To 3
      List.AddRow kit + " part " + Str(part)
      List.Cell(List.LastIndex, 1) = Str(part * 2)
    Next
    StatusText.Text = "Opened " + kit
  End Handler

  Handler List.CollapseRow(row As Integer)
    StatusText.Text = "Closed " + List.Cell(row, 0)
  End Handler

  Handler List.SortColumn(column As Integer) As Boolean
    Dim order As String = "ascending"
    If List.ColumnSortDirection(column) < 0 Then order = "descending"
    StatusText.Text = "Sorted by " + List.Heading(column) + ", " + order
    Return False
  End Handler

  ' Quantities compare as numbers; the other columns as text.
  Handler List.CompareRows(row1 As Integer, row2 As Integer, column As Integer, ByRef result As Integer) As Boolean
    If column <> 1 Then Return False
    result = Val(List.Cell(row1, 1)) - Val(List.Cell(row2, 1))
    Return True
  End Handler

  Handler List.CellAction(row As Integer, column As Integer)
    If column <> 2 Then Return
    If List.CellCheck(row, 2) Then
      CheckedCount = CheckedCount + 1
    Else
      CheckedCount = CheckedCount - 1
    End If
    ShowChecked
  End Handler

  Handler List.CellTextChange(row As Integer, column As Integer)
    StatusText.Text = "Note for " + List.Cell(row, 0) + ": " + List.Cell(row, column)
  End Handler

  ' Odd rows on a pale blue ground; selected rows keep the list's own.
  Handler List.CellBackgroundPaint(g As Graphics, row As Integer, column As Integer) As Boolean
    If row Mod 2 = 0 Or List.Selected(row) Then Return False
    g.ForeColor = kStripe
    g.FillRect 0, 0, g.Width, g.Height
    Return True
  End Handler
End Window
