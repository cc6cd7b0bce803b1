' A database the application carries: kept in notes.db beside the
' executable, made from start.db the first time, and keeping what each run
' adds.
Database Notes = "notes.db" From "start.db"

Sub Main()
  Notes.SQLExecute("create table note (body varchar(40))") ' refused once it exists
  Dim c As DatabaseCursor = Notes.SQLSelect("select count(*) from note")
  LineTrace "notes " + c.IdxField(1).StringValue
  Notes.SQLExecute("insert into note (body) values ('run')")
  Notes.Commit
  If Notes.Error Then LineTrace "error " + Notes.ErrorMessage
End Sub
