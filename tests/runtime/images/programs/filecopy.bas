' A file copy through BinaryStreams: writes a file of every byte value in
' turn and a closing number, copies it in 4 KB blocks until EOF, then compares
' the copy's length and bytes with the original's and reads the number back.
Function ReadWhole(name As String) As String
  Dim b As BinaryStream = GetFolderItem(name).OpenAsBinaryFile(False)
  Dim text As String = b.Read(b.Length)
  b.Close
  Return text
End Function

Sub Main()
  Dim pattern As String
  For i As Integer = 0 To 255
    pattern = pattern + Chr(i)
  Next
  Dim original As BinaryStream = GetFolderItem("original.bin").CreateBinaryFile("data")
  For k As Integer = 1 To 39
    original.Write pattern
  Next
  original.WriteLong 654321
  original.Close
  Dim source As BinaryStream = GetFolderItem("original.bin").OpenAsBinaryFile(False)
  Dim target As BinaryStream = GetFolderItem("copy.bin").CreateBinaryFile("data")
  Dim blocks As Integer
  While Not source.EOF
    target.Write source.Read(4096)
    blocks = blocks + 1
  Wend
  source.Close
  target.Close
  Dim copy As BinaryStream = GetFolderItem("copy.bin").OpenAsBinaryFile(False)
  LineTrace "blocks " + Str(blocks) + " length " + Str(copy.Length)
  copy.Position = copy.Length - 4
  LineTrace "last number " + Str(copy.ReadLong)
  copy.Close
  If StrComp(ReadWhole("copy.bin"), ReadWhole("original.bin"), 0) = 0 Then LineTrace "same bytes"
  Quit
End Sub
