' A Japanese sample (kanji, hiragana, katakana, half-width katakana, a letter
' and a full-width digit) in the application's code page, converted to UTF-8,
' EUC-JP, ISO-2022-JP and UTF-16LE and back; each form shown as hex, guessed,
' fed to a converter in two pieces, and encodings looked up by name.
Const kDigits As String = "0123456789ABCDEF"

Function FromHex(h As String) As String
  Dim s As String
  For i As Integer = 1 To Len(h) Step 2
    Dim hi As Integer = InStr(1, kDigits, Mid(h, i, 1)) - 1
    Dim lo As Integer = InStr(1, kDigits, Mid(h, i + 1, 1)) - 1
    s = s + Chr(hi * 16 + lo)
  Next
  Return s
End Function

Function ToHex(s As String) As String
  Dim h As String
  For i As Integer = 1 To Len(s)
    Dim b As Integer = Asc(Mid(s, i, 1))
    h = h + Mid(kDigits, b \ 16 + 1, 1) + Mid(kDigits, (b Mod 16) + 1, 1)
  Next
  Return h
End Function

Sub Show(sample As String, name As String)
  Dim own As TextEncoding = GetTextEncoding(0)
  Dim other As TextEncoding = GetInternetTextEncoding(name)
  Dim there As String = GetTextConverter(own, other).Convert(sample)
  Dim back As String = GetTextConverter(other, own).Convert(there)
  Dim guess As TextEncoding = GuessJapaneseEncoding(there)
  Dim same As String = "changed"
  If back = sample Then same = "same"
  LineTrace other.InternetName + " " + Str(other.Base) + " " + ToHex(there) + " " + same + " guess " + Str(guess.Base)
End Sub

Sub Main()
  Dim sample As String = FromHex("93FA967B82CC834A8369B6C5418250")
  Show sample, "utf8"
  Show sample, "euc-jp"
  Show sample, "ISO-2022-JP"
  Show sample, "utf-16"
  Dim split As TextConverter = GetTextConverter(GetInternetTextEncoding("UTF-8"), GetTextEncoding(0))
  Dim first As String = split.Convert(FromHex("41E697"))
  Dim second As String = split.Convert(FromHex("A5"))
  LineTrace "split " + ToHex(first) + " " + ToHex(second)
  split.Clear
  LineTrace "cleared " + ToHex(split.Convert(FromHex("E697A5")))
  If GetInternetTextEncoding("klingon") = Nil Then LineTrace "unknown name nil"
  Dim bad As String = GetTextConverter(GetInternetTextEncoding("utf-8"), GetTextEncoding(0)).Convert(FromHex("61FF62"))
  LineTrace "invalid " + ToHex(bad)
  Quit
End Sub
