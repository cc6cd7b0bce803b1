' An echo server and its client over loopback, both on the one window: the
' server listens on a port the system picks, the client connects to it and
' sends lines, the server sends back each one it receives, and the client
' checks what comes back. A line written before the connection is made
' waits for it.
Project
  MainWindow = Main
End Project

Window Main
  Title = "Echo"
  Width = 200
  Height = 100
  Property Received As String
  Property Rounds As Integer
  Control Server As Socket
    Port = 0
  End Control
  Control Client As Socket
    Address = "127.0.0.1"
  End Control
  Handler Open()
    Server.Listen
    If Server.Port = 0 Then
      LineTrace "no port"
      Quit
    End If
    LineTrace "listening"
    Client.Port = Server.Port
    Client.Connect
    Client.Write "first line" + Chr(10)
  End Handler
  Handler Server.Connected()
    LineTrace "server accepted " + Server.RemoteAddress
  End Handler
  Handler Server.DataAvailable()
    Server.Write Server.ReadAll
  End Handler
  Handler Server.Error()
    LineTrace "server error " + Str(Server.LastErrorCode)
    Quit
  End Handler
  Handler Client.Connected()
    LineTrace "client connected"
  End Handler
  Handler Client.DataAvailable()
    Received = Received + Client.ReadAll
    If Right(Received, 1) = Chr(10) Then
      LineTrace "echoed " + Mid(Received, 1, Len(Received) - 1)
      Received = ""
      Rounds = Rounds + 1
      If Rounds < 3 Then
        Client.Write "line " + Str(Rounds + 1) + Chr(10)
      Else
        Client.Close
        LineTrace "client closed"
      End If
    End If
  End Handler
  Handler Client.Error()
    LineTrace "client error " + Str(Client.LastErrorCode)
    Quit
  End Handler
End Window
