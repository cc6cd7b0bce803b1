' Screens, the keyboard and the mouse as compiled code asks for them.
Sub Main()
  Dim n As Integer = ScreenCount
  If n >= 1 Then LineTrace "screens counted"
  Dim s As Screen = Screen(0)
  If s.Width > 0 And s.Height > 0 And s.Depth > 0 Then LineTrace "screen 0 at " + Str(s.Left) + "," + Str(s.Top)
  If Screen(n) = Nil And Screen(-1) = Nil Then LineTrace "outside the list nil"
  If Not Keyboard.AsyncKeyDown(10) And Not Keyboard.AsyncShiftKey Then LineTrace "no keys held"
  Dim x As Integer = System.MouseX + System.MouseY
  If Not System.MouseDown Then LineTrace "no button held"
End Sub
