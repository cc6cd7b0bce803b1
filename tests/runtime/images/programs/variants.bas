' Variants: each kind of value wrapped and read back, compared, used as
' Dictionary keys; Dates kept in a Dictionary and a Collection, the
' Collection read by index and by key, and the missing key and the bad
' index caught.
Function Describe(v As Variant) As String
  Dim s As String = Str(VarType(v))
  If IsNumeric(v) Then s = s + " numeric"
  If VarType(v) <> 9 And VarType(v) <> 0 Then s = s + " " + v
  Return s
End Function

Sub Main()
  Dim i As Variant = 42
  Dim c As Variant = &cFF8000
  Dim b As Variant = True
  Dim d As Variant = 2.5
  Dim f As Single = 0.25
  Dim sv As Variant = f
  Dim t As Variant = "hello"
  Dim when As New Date
  when.Year = 2024
  when.Month = 7
  when.Day = 14
  Dim o As Variant = when
  Dim none As Variant
  LineTrace Describe(i) + " | " + Describe(c) + " | " + Describe(b) + " | " + Describe(d)
  LineTrace Describe(sv) + " | " + Describe(t) + " | " + Describe(o) + " | " + Describe(none)
  Dim backI As Integer = i
  Dim backC As Color = c
  Dim backB As Boolean = b
  Dim backD As Double = d
  Dim backS As String = t
  Dim backO As Date = o
  If backB And backC = &cFF8000 Then LineTrace "back " + Str(backI + 1) + " " + Str(backD * 2) + " " + backS + " " + Str(backO.Year)
  If IsNull(none) Then LineTrace "not reached" Else LineTrace "nil is not Null"
  Dim nobody As Date
  Dim wrapped As Variant = nobody
  Dim unwrapped As Date = wrapped
  If wrapped = Nil And unwrapped = Nil Then LineTrace "a nil object stays nil"
  Dim upperKey As Variant = "ABC"
  Dim lowerKey As Variant = "abc"
  Dim one As Variant = 1
  Dim oneD As Variant = 1.0
  If upperKey = lowerKey And Not (one = oneD) And i = 42 And i > 41 Then LineTrace "compare ok"

  Dim dict As New Dictionary
  dict.Value(1) = "integer one"
  dict.Value(1.0) = "double one"
  dict.Value("ABC") = 1
  dict.Value("abc") = dict.Value("ABC") + 1
  dict.Value("when") = when
  Dim kept As Date = dict.Value("when")
  Dim firstText As String = dict.Value(1)
  LineTrace "dictionary " + Str(dict.Count) + " " + firstText + ", " + dict.Value(1.0) + ", abc " + Str(dict.Value("Abc")) + ", " + Str(kept.Month) + "/" + Str(kept.Day)
  Try
    LineTrace dict.Value("nothing")
  Catch err As KeyNotFoundException
    LineTrace "missing key caught"
  End Try

  Dim days As New Collection
  Dim later As New Date
  later.Year = 2025
  later.Month = 1
  later.Day = 31
  days.Add when, "first"
  days.Add later, "second"
  LineTrace "collection " + Str(days.Count) + " " + Str(Date(days.Item(2)).Year) + " " + Str(Date(days.Item("FIRST")).Month)
  days.Remove 1
  LineTrace "after index remove " + Str(days.Count) + " " + Str(Date(days.Item(1)).Day)
  days.Remove "second"
  If days.Item("second") = Nil Then LineTrace "after key remove " + Str(days.Count)
  Try
    Dim gone As Object = days.Item(1)
  Catch bad As OutOfBoundsException
    LineTrace "bad index caught"
  End Try
End Sub
