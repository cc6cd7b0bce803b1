' Clients of the outside TCP peer, made with New, one after another: a
' connection to a port where nothing listens is refused, an echo comes back
' whole, and everything a peer sends before it closes is received. The
' ports 60001 (nothing listens), 60002 (echo) and 60003 (send, then close)
' stand for the peer's own, which the test writes in their place.
Class Refused Inherits Socket
  Property Successor As EchoClient
  Handler Connected()
    LineTrace "refused port connected"
  End Handler
  Handler Error()
    LineTrace "refused " + Str(LastErrorCode)
    Successor.Connect
  End Handler
End Class

Class EchoClient Inherits Socket
  Property Got As String
  Property Successor As Drain
  Handler Connected()
    LineTrace "echo connected"
    Write "over the wire"
  End Handler
  Handler DataAvailable()
    Got = Got + ReadAll
    If Len(Got) = 13 Then
      LineTrace "echoed " + Got
      Close
      Successor.Connect
    End If
  End Handler
End Class

Class Drain Inherits Socket
  Property Total As Integer
  Handler DataAvailable()
    Total = Total + Len(ReadAll)
  End Handler
  Handler Error()
    Total = Total + Len(ReadAll)
    LineTrace "drained " + Str(Total) + ", error " + Str(LastErrorCode)
    Quit
  End Handler
End Class

Project
  MainWindow = Main
End Project

Window Main
  Title = "Peer client"
  Width = 200
  Height = 100
  Property First As Refused
  Handler Open()
    Dim d As New Drain
    d.Address = "127.0.0.1"
    d.Port = 60003
    Dim e As New EchoClient
    e.Address = "127.0.0.1"
    e.Port = 60002
    e.Successor = d
    First = New Refused
    First.Address = "127.0.0.1"
    First.Port = 60001
    First.Successor = e
    First.Connect
  End Handler
End Window
