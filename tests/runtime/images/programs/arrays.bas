' Arrays: bounds and defaults, Append, Insert, Remove and Redim, a compact
' Boolean array, arrays handed to routines, an index out of bounds caught,
' Dates kept in an array, a matrix product over two-dimensional arrays,
' module-level arrays shared by routines, and arrays made by routines that an
' exception unwinds while their caller's array, passed in, lives on.
Sub Show(label As String, a() As Integer)
  Dim s As String = label
  For i As Integer = 0 To UBound(a)
    s = s + " " + Str(a(i))
  Next
  LineTrace s
End Sub

Sub Fill(a() As Integer, first As Integer)
  For i As Integer = 0 To UBound(a)
    a(i) = first + i
  Next
End Sub

Function Total(a() As Integer) As Integer
  Dim t As Integer
  For i As Integer = 0 To UBound(a)
    t = t + a(i)
  Next
  Return t
End Function

Sub Multiply(a(,) As Double, b(,) As Double, c(,) As Double)
  For i As Integer = 0 To UBound(a, 1)
    For j As Integer = 0 To UBound(b, 2)
      Dim sum As Double
      For k As Integer = 0 To UBound(a, 2)
        sum = sum + a(i, k) * b(k, j)
      Next
      c(i, j) = sum
    Next
  Next
End Sub

Sub Matrices()
  Dim a(1, 2) As Double
  Dim b(2, 1) As Double
  Dim c(1, 1) As Double
  For i As Integer = 0 To 1
    For k As Integer = 0 To 2
      a(i, k) = i * 3 + k + 1
      b(k, i) = k * 2 + i + 7
    Next
  Next
  Multiply(a, b, c)
  LineTrace "product " + Str(c(0, 0)) + " " + Str(c(0, 1)) + " / " + Str(c(1, 0)) + " " + Str(c(1, 1))
  LineTrace "dimensions " + Str(UBound(c, -1)) + " bounds " + Str(UBound(a, 1)) + "," + Str(UBound(a, 2))
End Sub

Sub Main()
  Dim i As Integer
  Dim a(4) As Integer
  LineTrace "fresh " + Str(a(0)) + " " + Str(a(4)) + " ubound " + Str(UBound(a))
  Fill(a, 10)
  Show("filled", a)
  a.Append 99
  a.Insert 0, 5
  a.Remove 2
  Show("edited", a)
  LineTrace "total " + Str(Total(a))
  Redim a(2)
  Show("shrunk", a)
  Redim a(4)
  Show("regrown", a)
  Dim e() As Integer
  LineTrace "empty " + Str(UBound(e))
  e.Append 7
  Show("appended", e)

  Dim names(2) As String
  names(0) = "pear"
  names(2) = "apple"
  names.Append "fig"
  names.Sort
  LineTrace "sorted [" + names(0) + "] " + names(1) + " " + names(2) + " " + names(3)

  Dim flags(3) As Boolean
  flags(2) = True
  flags.Append True
  flags.Insert 0, False
  flags.Remove 1
  Dim bits As String
  For i = 0 To UBound(flags)
    If flags(i) Then bits = bits + "1" Else bits = bits + "0"
  Next
  LineTrace "flags " + bits

  Dim grid(2, 3, 1) As String
  grid(1, 2, 1) = "deep"
  LineTrace "grid " + grid(1, 2, 1) + " [" + grid(2, 3, 0) + "]"
  Redim grid(1, 1, 1)
  LineTrace "grid regrown [" + grid(1, 1, 1) + "]"

  Try
    a(5) = 1
    LineTrace "not reached"
  Catch err As OutOfBoundsException
    LineTrace "out of bounds caught"
  End Try
  Try
    LineTrace grid(1, 2, 0)
  Catch err As OutOfBoundsException
    LineTrace "out of bounds in dimension 2"
  End Try

  Dim days(2) As Date
  For i = 0 To 2
    Dim d As New Date
    d.Year = 2024
    d.Month = 2
    d.Day = 28 + i
    days(i) = d
  Next
  LineTrace "dates " + Str(days(1).Day) + "/" + Str(days(1).Month) + " " + Str(days(2).Day) + "/" + Str(days(2).Month)
  Matrices()
  Kept()
  LineTrace "module before " + Str(UBound(gCounts)) + " " + Str(UBound(gNone)) + " " + Str(UBound(gTable, 2))
  For i = 1 To 5
    Tally(i)
  Next
  ShowModule()
  Unwound()
End Sub

' An array kept by an object: made by the constructor, disposed with it.
Class Scores
  Property Points(2) As Integer
  Property Seen(1, 1) As Boolean
  Sub Add(n As Integer)
    Points.Append n
    Seen(1, 0) = True
  End Sub
End Class

Sub Kept()
  Dim s As New Scores
  s.Points(1) = 4
  s.Add(9)
  LineTrace "kept " + Str(UBound(s.Points)) + " " + Str(s.Points(1)) + " " + Str(s.Points(3)) + " " + Str(Total(s.Points))
  If s.Seen(1, 0) And Not s.Seen(0, 1) Then LineTrace "kept flags"
End Sub

' Module-level arrays: made before Main runs, reached from every routine.
Dim gCounts(2) As Integer
Dim gTable(1, 3) As String
Dim gNone() As Double
Dim gBits(3) As Boolean

Sub Tally(n As Integer)
  gCounts(n Mod 3) = gCounts(n Mod 3) + n
  gTable(n Mod 2, n \ 2) = gTable(n Mod 2, n \ 2) + Str(n)
  gBits(n Mod 4) = Not gBits(n Mod 4)
  gNone.Append n / 2
End Sub

Sub ShowModule()
  Dim bits As String
  For i As Integer = 0 To UBound(gBits)
    If gBits(i) Then bits = bits + "1" Else bits = bits + "0"
  Next
  Redim gCounts(3)
  gCounts(3) = 7
  LineTrace "module " + Str(gCounts(0)) + " " + Str(gCounts(1)) + " " + Str(gCounts(2)) + " " + Str(gCounts(3)) + " [" + gTable(1, 0) + gTable(0, 1) + gTable(1, 1) + gTable(0, 2) + gTable(1, 2) + "] " + bits + " " + Str(UBound(gNone)) + " " + Str(gNone(4))
End Sub

' Spoil makes arrays of each kind, then a nil object ends it: unwinding its
' frame disposes of them, but not of the caller's array it was handed.
Sub Spoil(kept() As String, round As Integer)
  Dim mine(3) As String
  Dim grid(1, 1) As String
  Dim flags(2) As Boolean
  Dim dates(1) As Date
  Dim d As New Date
  dates(1) = d
  mine(1) = "lost " + kept(0)
  grid(1, 1) = mine(1)
  flags(2) = True
  kept(0) = kept(0) + Str(round)
  Dim nothing As Date
  LineTrace Str(nothing.Day)
End Sub

Sub Unwound()
  Dim kept(1) As String
  kept(0) = "kept"
  For i As Integer = 1 To 3
    Try
      Spoil(kept, i)
    Catch err As NilObjectException
      kept(1) = kept(1) + "c"
    End Try
  Next
  LineTrace "unwound " + kept(0) + " " + kept(1) + " " + Str(UBound(kept))
End Sub
