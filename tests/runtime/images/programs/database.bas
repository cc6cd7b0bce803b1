' Builds a small shop database in the temporary folder: tables with rows
' added by SQL and by records, a join read in order, an update rolled back and
' one committed, a blob and a picture read back, a query with a bound value
' holding quotes, and the errors of a bad statement.
Sub Show(c As DatabaseCursor, label As String)
  Dim line As String = label + ":"
  While Not c.EOF
    For i As Integer = 1 To c.FieldCount
      line = line + " " + c.IdxField(i).StringValue
    Next
    c.MoveNext
    If Not c.EOF Then line = line + ";"
  Wend
  LineTrace line
End Sub

Sub Main()
  Dim file As FolderItem = SpecialFolder.Temporary.Child("shop" + Str(Ticks) + ".db")
  Dim db As Database = NewDatabase(file)
  If db = Nil Then
    LineTrace "no database"
    Return
  End If
  db.SQLExecute("create table customer (id integer not null, name varchar(40), primary key (id))")
  db.SQLExecute("create table orders (num integer, customer integer, total double, placed date)")
  db.SQLExecute("insert into customer (id, name) values (1, 'Ann')")
  db.SQLExecute("insert into customer (id, name) values (2, 'Bob''s shop')")
  Dim r As New DatabaseRecord
  r.IntegerColumn("id") = 3
  r.Column("name") = "Cy"
  db.InsertRecord("customer", r)
  For n As Integer = 1 To 4
    Dim o As New DatabaseRecord
    o.IntegerColumn("num") = n
    o.IntegerColumn("customer") = 1 + (n Mod 3)
    o.DoubleColumn("total") = n * 2.5
    o.Column("placed") = "2026-12-0" + Str(n)
    db.InsertRecord("orders", o)
  Next
  db.Commit
  If db.Error Then LineTrace "error " + Str(db.ErrorCode) + " " + db.ErrorMessage

  Show(db.SQLSelect("select name, num, total from customer, orders where id = customer order by total desc"), "join")
  Show(db.SQLSelect("select count(*), sum(total) from orders"), "sums")

  db.SQLExecute("update orders set total = 0")
  Show(db.SQLSelect("select sum(total) from orders"), "updated")
  db.Rollback
  Show(db.SQLSelect("select sum(total) from orders"), "rolled back")

  Dim c As DatabaseCursor = db.SQLSelect("select name from customer where id = 3")
  c.Edit
  c.Field("name").StringValue = "Cyd"
  c.Update
  db.Commit
  Show(db.SQLSelect("select name from customer where id = 3"), "edited")

  Dim when As Date = db.SQLSelect("select placed from orders where num = 2").Field("placed").DateValue
  LineTrace "date " + Str(when.Year) + "-" + Str(when.Month) + "-" + Str(when.Day)

  db.SQLExecute("create table files (name varchar(20), body long varbinary)")
  Dim b As New DatabaseRecord
  b.Column("name") = "bytes"
  b.BlobColumn("body") = "A" + Chr(0) + "B" + Chr(255)
  db.InsertRecord("files", b)
  Dim pic As Picture = NewPicture(3, 2, 32)
  Dim p As New DatabaseRecord
  p.Column("name") = "picture"
  p.PictureColumn("body") = pic
  db.InsertRecord("files", p)
  db.Commit
  Dim blob As String = db.SQLSelect("select body from files where name = 'bytes'").Field("body").NativeValue
  LineTrace "blob " + Str(Len(blob)) + " " + Str(Asc(Mid(blob, 4, 1)))
  Dim back As Picture = db.SQLSelect("select body from files where name = 'picture'").Field("body").PictureValue
  If back <> Nil Then LineTrace "picture " + Str(back.Width) + "x" + Str(back.Height)

  Dim q As New DatabaseQuery
  q.Database = db
  q.SQLQuery = "select id from customer where name = ?"
  q.SetParameter(1, "Bob's shop")
  Show(q.RunQuery, "bound")
  q.SetParameter(1, "x' or 'a' = 'a")
  Show(q.RunQuery, "injected")

  db.SQLExecute("delete from customer wehre id = 1")
  LineTrace "bad " + Str(db.ErrorCode)
  Show(db.SQLSelect("select count(*) from customer"), "kept")
  db.SQLExecute("drop table customer")
  LineTrace "drop " + Str(db.ErrorCode) + " " + db.ErrorMessage

  db.Close
  Dim again As Database = OpenDatabase(file)
  Show(again.SQLSelect("select name from customer order by name"), "reopened")
  again.Close
  file.Delete
  LineTrace "done"
End Sub
