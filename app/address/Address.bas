' Address: an address book kept in a database file beside the application
' (address.db, made with a few people on the first start). A data control
' walks the people one by one and fills the name, phone and city fields and
' the Favourite box (and show the person's number); Save writes them back, New adds a person, Delete removes
' one. The list beside shows everyone in the data control's order; a click on
' a row moves the data control there. Find looks names up with a query whose
' parameter is bound, never pasted into the SQL, so a name with a quote in it
' is found like any other.
Project
  ApplicationName = "Address"
  MainWindow = AddressWindow
End Project

Window AddressWindow
  Title = "Address book"
  Width = 620
  Height = 400

  Control NameLabel As StaticText
    Left = 12
    Top = 16
    Width = 60
    Height = 18
    Text = "Name"
  End Control
  Control NameField As EditField
    Left = 80
    Top = 12
    Width = 220
    Height = 24
    Alignment = 1
  End Control
  Control PhoneLabel As StaticText
    Left = 12
    Top = 50
    Width = 60
    Height = 18
    Text = "Phone"
  End Control
  Control PhoneField As EditField
    Left = 80
    Top = 46
    Width = 220
    Height = 24
    Alignment = 1
  End Control
  Control CityLabel As StaticText
    Left = 12
    Top = 84
    Width = 60
    Height = 18
    Text = "City"
  End Control
  Control CityField As EditField
    Left = 80
    Top = 80
    Width = 220
    Height = 24
    Alignment = 1
  End Control
  Control Favourite As CheckBox
    Left = 80
    Top = 114
    Width = 120
    Height = 20
    Caption = "Favourite"
  End Control
  Control NumberLabel As StaticText
    Left = 210
    Top = 116
    Width = 30
    Height = 18
    Text = "No."
  End Control
  Control NumberText As EditField
    Left = 244
    Top = 112
    Width = 56
    Height = 24
    Alignment = 1
  End Control
  Control People As DataControl
    Left = 12
    Top = 146
    Width = 288
    Height = 26
    Caption = "People"
    TableName = "people"
    ControlBind = "NumberText=id, NameField=name, PhoneField=phone, CityField=city, Favourite=favourite"
  End Control
  Control NewButton As PushButton
    Left = 12
    Top = 184
    Width = 90
    Height = 24
    Caption = "New"
  End Control
  Control SaveButton As PushButton
    Left = 111
    Top = 184
    Width = 90
    Height = 24
    Caption = "Save"
  End Control
  Control DeleteButton As PushButton
    Left = 210
    Top = 184
    Width = 90
    Height = 24
    Caption = "Delete"
  End Control
  Control FindField As EditField
    Left = 12
    Top = 226
    Width = 190
    Height = 24
    Alignment = 1
  End Control
  Control FindButton As PushButton
    Left = 210
    Top = 226
    Width = 90
    Height = 24
    Caption = "Find"
  End Control
  Control Found As Listbox
    Left = 12
    Top = 258
    Width = 288
    Height = 100
    ColumnCount = 2
    ColumnWidths = "60%"
  End Control
  Control Everyone As Listbox
    Left = 312
    Top = 12
    Width = 296
    Height = 346
    ColumnCount = 3
    ColumnWidths = "45%,30%"
    HasHeading = True
  End Control
  Control StatusText As StaticText
    Left = 12
    Top = 370
    Width = 596
    Height = 18
    Text = ""
  End Control

  Property Book As Database
  Property Filling As Boolean

  Handler Open()
    Everyone.Heading(0) = "Name"
    Everyone.Heading(1) = "City"
    Everyone.Heading(2) = "Phone"
    Dim file As FolderItem = GetFolderItem("address.db")
    If file.Exists Then
      Book = OpenDatabase(file)
    Else
      Book = NewDatabase(file)
      If Book <> Nil Then MakeBook
    End If
    If Book = Nil Then
      StatusText.Text = "The address book cannot be opened."
      Return
    End If
    People.Database = Book
    People.RunQuery
    FillList
  End Handler

  ' The table and the people a new book starts with.
  Sub MakeBook()
    Book.SQLExecute "CREATE TABLE people (id integer NOT NULL, name varchar(60), phone varchar(30), city varchar(40), favourite boolean, PRIMARY KEY (id))"
    AddPerson 1, "Aiko Tanaka", "03-1234-5678", "Tokyo", True
    AddPerson 2, "Liam O'Brien", "+353 1 555 0101", "Dublin", False
    AddPerson 3, "Marta Novak", "+420 2 555 0199", "Prague", False
    AddPerson 4, "Kenji Sato", "06-8765-4321", "Osaka", True
    AddPerson 5, "Ines Duarte", "+351 21 555 0123", "Lisbon", False
    Book.Commit
  End Sub

  Sub AddPerson(id As Integer, name As String, phone As String, city As String, favourite As Boolean)
    Dim r As New DatabaseRecord
    r.IntegerColumn("id") = id
    r.Column("name") = name
    r.Column("phone") = phone
    r.Column("city") = city
    r.BooleanColumn("favourite") = favourite
    Book.InsertRecord "people", r
  End Sub

  ' Everyone, in the data control's order, so that list row i is record i + 1.
  Sub FillList()
    Filling = True
    Everyone.DeleteAllRows
    Dim rows As DatabaseCursor = Book.SQLSelect("SELECT name, city, phone FROM people")
    If rows <> Nil Then
      While Not rows.EOF
        Everyone.AddRow rows.Field("name").StringValue
        Everyone.Cell(Everyone.LastIndex, 1) = rows.Field("city").StringValue
        Everyone.Cell(Everyone.LastIndex, 2) = rows.Field("phone").StringValue
        rows.MoveNext
      Wend
      rows.Close
    End If
    If People.Row > 0 Then Everyone.ListIndex = People.Row - 1
    Filling = False
  End Sub

  Sub Report(done As String)
    If Book.Error Then
      StatusText.Text = done + " failed: " + Book.ErrorMessage + " (" + Str(Book.ErrorCode) + ")"
    Else
      StatusText.Text = done + ". Record " + Str(People.Row) + " of " + Str(People.RowCount) + "."
    End If
  End Sub

  Handler People.Reposition()
    If Not Filling And People.Row > 0 Then
      Filling = True
      Everyone.ListIndex = People.Row - 1
      Filling = False
    End If
    StatusText.Text = "Record " + Str(People.Row) + " of " + Str(People.RowCount) + "."
  End Handler

  Handler Everyone.Change()
    If Not Filling And Everyone.ListIndex >= 0 Then People.MoveTo Everyone.ListIndex + 1
  End Handler

  ' A new person gets the number after the highest so far.
  Handler NewButton.Action()
    Dim highest As DatabaseCursor = Book.SQLSelect("SELECT max(id) FROM people")
    Dim number As Integer = 1
    If highest <> Nil Then
      number = highest.IdxField(1).IntegerValue + 1
      highest.Close
    End If
    People.NewRecord
    NumberText.Text = Str(number)
    NameField.Text = "New person"
    StatusText.Text = "Fill in the new person and press Save."
  End Handler

  ' A row the database refuses is reported, and nothing is committed.
  Handler SaveButton.Action()
    People.UpdateRecord
    If Book.Error Then
      Report "Save"
      Return
    End If
    Book.Commit
    FillList
    Report "Saved"
  End Handler

  Handler DeleteButton.Action()
    People.DeleteRecord
    If Book.Error Then
      Report "Delete"
      Return
    End If
    Book.Commit
    FillList
    Report "Deleted"
  End Handler

  Handler FindButton.Action()
    Dim q As New DatabaseQuery
    q.Database = Book
    q.SQLQuery = "SELECT name, city FROM people WHERE name LIKE ? ORDER BY name"
    q.SetParameter 1, "%" + FindField.Text + "%"
    Found.DeleteAllRows
    Dim rows As DatabaseCursor = q.RunQuery
    If rows = Nil Then
      Report "Find"
      Return
    End If
    While Not rows.EOF
      Found.AddRow rows.Field("name").StringValue
      Found.Cell(Found.LastIndex, 1) = rows.Field("city").StringValue
      rows.MoveNext
    Wend
    rows.Close
    StatusText.Text = "Found " + Str(Found.ListCount) + " for " + FindField.Text + "."
  End Handler
End Window
