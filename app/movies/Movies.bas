' Movies: a movie player. Open opens the AVI file named (in the working
' folder) and shows it in the player; Play and Stop, or the player's own
' strip below the picture, play and stop it; Looping and Palindrome say how
' it plays. Every event of the player is traced in the list at the right,
' with the position it was raised at.
Project
  ApplicationName = "Movies"
  MainWindow = MoviesWindow
End Project

Window MoviesWindow
  Title = "Movies"
  Width = 520
  Height = 330

  Control MovieField As EditField
    Left = 12
    Top = 12
    Width = 180
    Height = 22
    Text = "clip.avi"
    Alignment = 1
  End Control
  Control OpenButton As PushButton
    Left = 200
    Top = 11
    Width = 72
    Height = 24
    Caption = "Open"
  End Control
  Control Player As MoviePlayer
    Left = 12
    Top = 44
    Width = 260
    Height = 200
  End Control
  Control PlayButton As PushButton
    Left = 12
    Top = 254
    Width = 72
    Height = 24
    Caption = "Play"
  End Control
  Control StopButton As PushButton
    Left = 92
    Top = 254
    Width = 72
    Height = 24
    Caption = "Stop"
  End Control
  Control LoopBox As CheckBox
    Left = 176
    Top = 256
    Width = 96
    Height = 20
    Caption = "Looping"
  End Control
  Control PalindromeBox As CheckBox
    Left = 176
    Top = 280
    Width = 96
    Height = 20
    Caption = "Palindrome"
  End Control
  Control Trace As EditField
    Left = 288
    Top = 12
    Width = 220
    Height = 266
    MultiLine = True
    ReadOnly = True
    Alignment = 1
  End Control
  Control StatusText As StaticText
    Left = 12
    Top = 302
    Width = 496
    Height = 18
    Text = "Open a movie."
  End Control

  ' Adds a line to the trace.
  Sub Note(text As String)
    Trace.Text = Trace.Text + text + Chr(13) + Chr(10)
  End Sub

  Handler OpenButton.Action()
    Dim f As FolderItem = GetFolderItem(MovieField.Text)
    If f = Nil Or Not f.Exists Then
      StatusText.Text = "No file " + MovieField.Text + "."
      Return
    End If
    Dim m As Movie = f.OpenAsMovie
    If m = Nil Then
      StatusText.Text = MovieField.Text + " is not a movie that plays here."
      Note "refused " + f.Name
      Return
    End If
    Player.Movie = m
    Note "opened " + f.Name
    StatusText.Text = f.Name + ": " + Str(m.BaseWidth) + " x " + Str(m.BaseHeight) + ", " + Str(m.FrameCount) + " frames, " + Str(m.Duration) + " ms."
  End Handler

  Handler PlayButton.Action()
    Player.Play
  End Handler

  Handler LoopBox.Action()
    Player.Looping = LoopBox.Value
  End Handler

  Handler PalindromeBox.Action()
    Player.Palindrome = PalindromeBox.Value
  End Handler

  Handler StopButton.Action()
    Player.Stop
  End Handler

  Handler Player.Started()
    Note "Started at " + Str(Player.Position)
    StatusText.Text = "Playing."
  End Handler

  Handler Player.Finished()
    Note "Finished at " + Str(Player.Position)
  End Handler

  Handler Player.Stopped()
    Note "Stopped at " + Str(Player.Position)
    StatusText.Text = "Stopped."
  End Handler
End Window
