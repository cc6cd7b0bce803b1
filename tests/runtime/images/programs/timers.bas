' Timers at work: a timer placed on the window fires once and starts a
' Timer subclass made with New, whose Action counts to three and quits.
Project
  MainWindow = Main
End Project

Class Counter Inherits Timer
  Property Count As Integer
  Handler Action()
    Count = Count + 1
    LineTrace "tick " + Str(Count)
    If Count = 3 Then
      Mode = 0
      Quit
    End If
  End Handler
End Class

Window Main
  Title = "Timers"
  Width = 200
  Height = 100
  Property Ticker As Counter
  Control Starter As Timer
    Mode = 1
    Period = 20
  End Control
  Handler Open()
    Dim t As New Timer
    t.Period = -4
    LineTrace "new timer " + Str(t.Mode) + " " + Str(t.Period)
  End Handler
  Handler Starter.Action()
    LineTrace "placed fired, mode " + Str(Starter.Mode)
    Ticker = New Counter
    Ticker.Period = 30
    Ticker.Mode = 2
  End Handler
End Window
