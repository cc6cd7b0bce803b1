' A window driven from outside by the automation driver: its events go to
' the trace, and closing it ends the program.
Project
  MainWindow = Main
End Project

Window Main
  Title = "Window Test"
  Width = 320
  Height = 200
  HasBackColor = True
  BackColor = &c3060A0
  Property Clicks As Integer
  Handler Open()
    LineTrace "Open " + Str(Width) + "x" + Str(Height)
  End Handler
  Handler Activate()
    LineTrace "Activate"
  End Handler
  Handler MouseDown(X As Integer, Y As Integer) As Boolean
    Clicks = Clicks + 1
    LineTrace "MouseDown " + Str(X) + " " + Str(Y)
    Title = "Clicked " + Str(Clicks)
    Return True
  End Handler
  Handler MouseUp(X As Integer, Y As Integer)
    LineTrace "MouseUp " + Str(X) + " " + Str(Y)
  End Handler
  Handler CancelClose() As Boolean
    LineTrace "CancelClose"
    Return False
  End Handler
  Handler Close()
    LineTrace "Close after " + Str(Clicks)
  End Handler
End Window
