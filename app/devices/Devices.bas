' Devices: the runtime's links to the world outside the program.
' Network: Listen starts a server socket on the port; Connect makes a client
' socket connect to it over loopback; Send writes the message, the server
' answers with "echo: " and the message, and both sides log what happens.
' Serial: Open opens the COM port of the number given at 57,600 baud; Send
' writes the line, and whatever the port receives is logged as it arrives.
' Sound: Play or Loop plays the sound file named (a WAVE, MIDI or MP3 file in
' the working folder) until it ends or Stop; the three keys play notes.
Project
  ApplicationName = "Devices"
  MainWindow = DevicesWindow
End Project

Window DevicesWindow
  Title = "Devices"
  Width = 620
  Height = 470

  ' ---- network ----
  Control NetBox As GroupBox
    Left = 8
    Top = 4
    Width = 604
    Height = 176
    Caption = "Network"
  End Control
  Control PortLabel As StaticText
    Left = 20
    Top = 28
    Width = 36
    Height = 18
    Text = "Port"
  End Control
  Control PortField As EditField
    Left = 58
    Top = 26
    Width = 60
    Height = 22
    Text = "50123"
    Alignment = 1
  End Control
  Control ListenButton As PushButton
    Left = 126
    Top = 25
    Width = 70
    Height = 24
    Caption = "Listen"
  End Control
  Control ConnectButton As PushButton
    Left = 202
    Top = 25
    Width = 70
    Height = 24
    Caption = "Connect"
  End Control
  Control MessageField As EditField
    Left = 280
    Top = 26
    Width = 180
    Height = 22
    Text = "hello"
    Alignment = 1
  End Control
  Control SendButton As PushButton
    Left = 466
    Top = 25
    Width = 64
    Height = 24
    Caption = "Send"
  End Control
  Control CloseButton As PushButton
    Left = 536
    Top = 25
    Width = 64
    Height = 24
    Caption = "Close"
  End Control
  Control NetLog As EditField
    Left = 20
    Top = 56
    Width = 580
    Height = 94
    MultiLine = True
    ReadOnly = True
    Alignment = 1
  End Control
  Control NetStatus As StaticText
    Left = 20
    Top = 154
    Width = 580
    Height = 18
    Text = "Listen, then connect."
  End Control
  Control Server As Socket
  End Control
  Control Client As Socket
  End Control

  ' ---- serial ----
  Control SerialBox As GroupBox
    Left = 8
    Top = 186
    Width = 604
    Height = 150
    Caption = "Serial"
  End Control
  Control ComLabel As StaticText
    Left = 20
    Top = 210
    Width = 36
    Height = 18
    Text = "COM"
  End Control
  Control ComField As EditField
    Left = 58
    Top = 208
    Width = 40
    Height = 22
    Text = "2"
    Alignment = 1
  End Control
  Control OpenComButton As PushButton
    Left = 106
    Top = 207
    Width = 70
    Height = 24
    Caption = "Open"
  End Control
  Control LineField As EditField
    Left = 184
    Top = 208
    Width = 276
    Height = 22
    Text = "AT"
    Alignment = 1
  End Control
  Control ComSendButton As PushButton
    Left = 466
    Top = 207
    Width = 64
    Height = 24
    Caption = "Send"
  End Control
  Control SerialLog As EditField
    Left = 20
    Top = 238
    Width = 580
    Height = 70
    MultiLine = True
    ReadOnly = True
    Alignment = 1
  End Control
  Control SerialStatus As StaticText
    Left = 20
    Top = 312
    Width = 580
    Height = 18
    Text = "Open a port."
  End Control
  Control Line As Serial
    Baud = 13
  End Control

  ' ---- sound ----
  Control SoundBox As GroupBox
    Left = 8
    Top = 342
    Width = 604
    Height = 118
    Caption = "Sound"
  End Control
  Control SoundField As EditField
    Left = 20
    Top = 366
    Width = 160
    Height = 22
    Text = "chime.wav"
    Alignment = 1
  End Control
  Control PlayButton As PushButton
    Left = 188
    Top = 365
    Width = 64
    Height = 24
    Caption = "Play"
  End Control
  Control LoopButton As PushButton
    Left = 258
    Top = 365
    Width = 64
    Height = 24
    Caption = "Loop"
  End Control
  Control StopButton As PushButton
    Left = 328
    Top = 365
    Width = 64
    Height = 24
    Caption = "Stop"
  End Control
  Control Key(0) As PushButton
    Left = 20
    Top = 398
    Width = 40
    Height = 24
    Caption = "C"
  End Control
  Control Key(1) As PushButton
    Left = 64
    Top = 398
    Width = 40
    Height = 24
    Caption = "E"
  End Control
  Control Key(2) As PushButton
    Left = 108
    Top = 398
    Width = 40
    Height = 24
    Caption = "G"
  End Control
  Control SoundStatus As StaticText
    Left = 20
    Top = 432
    Width = 580
    Height = 18
    Text = "Play a sound or a note."
  End Control
  Control Watch As Timer
    Mode = 0
    Period = 100
  End Control
  Control Keys As NotePlayer
  End Control

  Property Playing As Sound

  ' Adds a line to a log and shows it as the section's status.
  Sub Note(log As EditField, status As StaticText, text As String)
    log.Text = log.Text + text + Chr(13) + Chr(10)
    status.Text = text
  End Sub

  Sub NetNote(text As String)
    Note NetLog, NetStatus, text
  End Sub

  Sub SerialNote(text As String)
    Note SerialLog, SerialStatus, text
  End Sub

  ' ---- network ----
  Handler ListenButton.Action()
    Server.Port = Val(PortField.Text)
    Server.Listen
    NetNote "server: listening on port " + Str(Server.Port)
  End Handler

  Handler ConnectButton.Action()
    Client.Address = "127.0.0.1"
    Client.Port = Val(PortField.Text)
    Client.Connect
    NetNote "client: connecting to " + Client.Address + ":" + Str(Client.Port)
  End Handler

  Handler SendButton.Action()
    Client.Write MessageField.Text
    NetNote "client sent: " + MessageField.Text
  End Handler

  Handler CloseButton.Action()
    Client.Close
    Server.Close
    NetNote "closed both sockets"
  End Handler

  Handler Server.Connected()
    NetNote "server: a client connected from " + Server.RemoteAddress
  End Handler

  Handler Server.DataAvailable()
    Dim text As String = Server.ReadAll
    NetNote "server got: " + text
    Server.Write "echo: " + text
  End Handler

  Handler Server.Error()
    NetNote "server: error " + Str(Server.LastErrorCode)
  End Handler

  Handler Client.Connected()
    NetNote "client: connected"
  End Handler

  Handler Client.DataAvailable()
    NetNote "client got: " + Client.ReadAll
  End Handler

  Handler Client.Error()
    NetNote "client: error " + Str(Client.LastErrorCode)
  End Handler

  ' ---- serial ----
  Handler OpenComButton.Action()
    Line.Close
    Line.Port = Val(ComField.Text) - 1
    Dim name As String = "COM" + ComField.Text
    If Line.Open Then
      SerialNote name + " open at 57600 baud, " + Str(SerialPortCount) + " port(s) present"
    Else
      SerialNote "cannot open " + name + " (error " + Str(Line.LastErrorCode) + ")"
    End If
  End Handler

  Handler ComSendButton.Action()
    Line.Write LineField.Text + Chr(13)
    SerialNote "sent: " + LineField.Text
  End Handler

  Handler Line.DataAvailable()
    Dim text As String = ReplaceAll(Line.ReadAll, Chr(13), "")
    SerialNote "received: " + ReplaceAll(text, Chr(10), " ")
  End Handler

  ' ---- sound ----
  Sub StartSound(looping As Boolean)
    If Playing <> Nil Then Playing.Stop
    Dim f As FolderItem = GetFolderItem(SoundField.Text)
    If f = Nil Or Not f.Exists Then
      SoundStatus.Text = "no file " + SoundField.Text
      Return
    End If
    Playing = f.OpenAsSound
    If Playing = Nil Then
      SoundStatus.Text = SoundField.Text + " is not a sound"
      Return
    End If
    If looping Then
      Playing.PlayLooping
      SoundStatus.Text = "looping " + f.Name
    Else
      Playing.Play
      SoundStatus.Text = "playing " + f.Name
    End If
    Watch.Mode = 2
  End Sub

  Handler PlayButton.Action()
    StartSound False
  End Handler

  Handler LoopButton.Action()
    StartSound True
  End Handler

  Handler StopButton.Action()
    If Playing = Nil Then Return
    Playing.Stop
    SoundStatus.Text = "stopped"
  End Handler

  ' Watches the sound that plays and says when it has finished.
  Handler Watch.Action()
    If Playing = Nil Then Return
    If Not Playing.IsPlaying Then
      Watch.Mode = 0
      If SoundStatus.Text <> "stopped" Then SoundStatus.Text = "finished"
    End If
  End Handler

  ' The keys play C, E and G of the middle octave.
  Handler Key.Action()
    Dim note As Integer = 60 + 4 * Index
    If Index = 2 Then note = 67
    Keys.PlayNote note, 100
    SoundStatus.Text = "note " + Str(note)
  End Handler
End Window
