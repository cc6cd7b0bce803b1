' A CSV reader: writes a small stock list with a TextOutputStream, reads it
' back line by line with a TextInputStream, splits each line into fields,
' totals the quantities and skips a malformed line.
Sub Main()
  Dim out As TextOutputStream = GetFolderItem("stock.csv").CreateTextFile
  out.WriteLine "item,count,price"
  out.WriteLine "bolt,120,0.25"
  out.WriteLine "nut,300,0.1"
  out.WriteLine "broken line"
  out.WriteLine "washer,75,0.05"
  out.Close
  Dim f As FolderItem = GetFolderItem("stock.csv")
  Dim t As TextInputStream = f.OpenAsTextFile
  Dim header As String = t.ReadLine
  LineTrace "columns " + Str(CountFields(header, ",")) + " " + NthField(header, ",", 2)
  Dim total As Integer
  Dim value As Double
  Dim rows As Integer
  While Not t.EOF
    Dim row As String = t.ReadLine
    If CountFields(row, ",") <> 3 Then
      LineTrace "skipped [" + row + "]"
    Else
      rows = rows + 1
      Dim count As Integer = Val(NthField(row, ",", 2))
      total = total + count
      value = value + count * Val(NthField(row, ",", 3))
    End If
  Wend
  t.Close
  LineTrace "rows " + Str(rows) + " total " + Str(total) + " value " + Format(value, "0.00")
  Quit
End Sub
