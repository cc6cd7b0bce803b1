' Arithmetic and conversions: Integer wrap-around, Single rounding, double
' rounding of each operation, Floor of negative values, division by zero.
Sub Main()
  Dim big As Integer = 2147483647
  big = big + 1
  LineTrace "wrap " + Str(big)
  LineTrace "intdiv " + Str(17 \ 5) + " " + Str(-17 \ 5) + " " + Str(17 Mod 5) + " " + Str(-17 Mod 5)
  LineTrace "divzero " + Str(7 \ 0) + " " + Str(1 / 0) + " " + Str(-1 / 0) + " " + Str(0 / 0)
  Dim s As Single = Val("0.1")
  Dim d As Double = s
  LineTrace "single " + Format(d, "0.000000000000")
  LineTrace "floor " + Str(Floor(-2.5)) + " " + Str(Floor(-0.001 * 1000) / 1000) + " " + Str(Ceil(-2.5))
  Dim third As Double = 1 / 3
  LineTrace "third " + Format(third * 3, "0.0000000000000000")
  LineTrace "prec " + Str(Floor(46.4666666666 * 1000) / 1000) + " " + Str(-7 / 2)
  LineTrace "pow " + Str(Pow(2, 10)) + " sqrt " + Str(Sqrt(2)) + " abs " + Str(Abs(-3))
  If 0.1 + 0.2 <> 0.3 Then LineTrace "0.1 + 0.2 is not 0.3"
  Dim n As Integer = 7.6
  LineTrace "toint " + Str(n) + " " + Str(-(3 - 5) * 4)
  If 1 / 0 > 1 Then LineTrace "inf is above 1"
  Dim nan As Double = 0 / 0
  If Not (nan = nan) And nan <> nan And Not (nan < 1) And Not (nan >= 1) Then LineTrace "nan is unordered"
End Sub
