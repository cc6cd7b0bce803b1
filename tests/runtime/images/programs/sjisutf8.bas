' A Shift-JIS to UTF-8 file converter: writes a Japanese text file in the
' application's code page, reads it whole, converts it to UTF-8 and writes
' that, then reads the UTF-8 file back, guesses its encoding and converts it
' back, comparing with the original byte for byte.
Function ReadWhole(name As String) As String
  Dim b As BinaryStream = GetFolderItem(name).OpenAsBinaryFile(False)
  Dim text As String = b.Read(b.Length)
  b.Close
  Return text
End Function

Sub WriteWhole(name As String, text As String)
  Dim b As BinaryStream = GetFolderItem(name).CreateBinaryFile("text")
  b.Write text
  b.Close
End Sub

Sub Main()
  ' Kanji, half-width katakana and a full-width digit, in Shift-JIS bytes
  Dim line1 As String = Chr(147) + Chr(250) + Chr(150) + Chr(123) + Chr(140) + Chr(234) + "," + Chr(182) + Chr(192)
  Dim line2 As String = "total," + Chr(130) + Chr(84)
  Dim out As TextOutputStream = GetFolderItem("sjis.txt").CreateTextFile
  out.WriteLine line1
  out.WriteLine line2
  out.Close
  Dim original As String = ReadWhole("sjis.txt")
  Dim toUtf8 As TextConverter = GetTextConverter(GetTextEncoding(0), GetInternetTextEncoding("UTF-8"))
  WriteWhole "utf8.txt", toUtf8.Convert(original)
  Dim utf8 As String = ReadWhole("utf8.txt")
  LineTrace "sizes " + Str(Len(original)) + " " + Str(Len(utf8))
  Dim guess As TextEncoding = GuessJapaneseEncoding(utf8)
  LineTrace "guess " + guess.InternetName
  Dim back As String = GetTextConverter(guess, GetTextEncoding(0)).Convert(utf8)
  If StrComp(back, original, 0) = 0 Then
    LineTrace "round trip same"
  Else
    LineTrace "round trip changed"
  End If
  Dim lines As TextInputStream = GetFolderItem("utf8.txt").OpenAsTextFile
  Dim fromUtf8 As TextConverter = GetTextConverter(guess, GetTextEncoding(0))
  Dim n As Integer
  While Not lines.EOF
    Dim l As String = fromUtf8.Convert(lines.ReadLine)
    n = n + 1
    If StrComp(l, line1, 0) = 0 Or StrComp(l, line2, 0) = 0 Then LineTrace "line " + Str(n) + " matches"
  Wend
  lines.Close
  Quit
End Sub
