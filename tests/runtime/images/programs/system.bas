' The System object, the Application's switches, a Line and the global
' Beep and ShowURL as compiled code reaches them.
Sub Main()
  Dim version As Integer
  Dim missing As Integer = 5
  If System.Gestalt("sysv", version) And version >= &h0501 Then LineTrace "gestalt sysv"
  If Not System.Gestalt("none", missing) Then LineTrace "unknown selector " + Str(missing)
  Dim script As Integer = System.KeyScript
  System.KeyScript = script
  If System.KeyScript = script Then LineTrace "key script kept"
  If System.Pixel(-30000, -30000) = &c000000 Then LineTrace "off screen black"
  Beep
  If Not ShowURL("") And Not System.ShowURL("C:\no\such\file.txt") Then LineTrace "refused"
  App.BalloonHelpVisible = False
  If Not App.BalloonHelpVisible Then LineTrace "tips off"
  App.BalloonHelpVisible = True
  If App.ResourceFork = Nil Then LineTrace "no resource fork"
  Drawn.Show
  Drawn.Close
End Sub

Window Drawn
  Title = "Line"
  Width = 200
  Height = 150
  Control Rule As Line
    X1 = 10
    Y1 = 20
    X2 = 110
    Y2 = 70
    BorderWidth = 2
    BorderColor = &cFF0000
  End Control
  Handler Open()
    Rule.X2 = 150
    LineTrace "line " + Str(Rule.X1) + "," + Str(Rule.Y1) + " " + Str(Rule.X2) + "," + Str(Rule.Y2) + " width " + Str(Rule.BorderWidth)
  End Handler
End Window

Class Main Inherits Application
End Class
