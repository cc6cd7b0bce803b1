' A serial terminal on COM2 at 57,600 baud: it sends a line, the far end
' answers it in capitals, DataAvailable gathers the answer until its carriage
' return and the next line goes out; after the last answer the terminal
' closes the port and quits. A port that does not exist is tried first.
Project
  MainWindow = Main
End Project

Window Main
  Title = "Terminal"
  Width = 240
  Height = 120
  Property Pending As String
  Property Sent As Integer
  Control Modem As Serial
    Port = 1
    Baud = 13
  End Control
  Control Missing As Serial
    Port = 0
  End Control
  Handler Open()
    LineTrace "ports " + Str(SerialPortCount()) + " first " + SerialPort(0).Name
    If Not Missing.Open() Then LineTrace "COM1 does not open"
    If Not Modem.Open() Then
      LineTrace "COM2 does not open"
      Quit
    End If
    SendNext
  End Handler
  Sub SendNext()
    Sent = Sent + 1
    Select Case Sent
    Case 1
      Modem.Write("hello, far end" + Chr(13))
    Case 2
      Modem.Write("serial ports" + Chr(13))
    Case 3
      Modem.Write("bye" + Chr(13))
    Case Else
      Modem.Close
      LineTrace "closed"
      Quit
    End Select
  End Sub
  Handler Modem.DataAvailable()
    Pending = Pending + Modem.ReadAll()
    Dim at As Integer = InStr(Pending, Chr(13))
    While at > 0
      LineTrace "answer " + Mid(Pending, 1, at - 1)
      Pending = Mid(Pending, at + 1)
      at = InStr(Pending, Chr(13))
      SendNext
    Wend
  End Handler
End Window
