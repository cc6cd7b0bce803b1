' Plays the sound file beside the program and waits for its end, asking
' IsPlaying (which takes the end's notification) meanwhile; then loops it for
' a while, stops it, and tries a file that is no sound.
Sub Main()
  Dim s As Sound = GetFolderItem("tone.wav").OpenAsSound
  If s = Nil Then
    LineTrace "no sound"
    Quit
  End If
  s.Volume = 150
  s.Pan = -20
  LineTrace "volume " + Str(s.Volume) + " pan " + Str(s.Pan)
  Dim start As Double = Microseconds
  s.Play
  If s.IsPlaying Then LineTrace "playing"
  While s.IsPlaying
  Wend
  Dim ms As Double = (Microseconds - start) / 1000
  If ms >= 800 And ms < 8000 Then
    LineTrace "ended after its length"
  Else
    LineTrace "ended after " + Str(ms) + " ms"
  End If
  s.PlayLooping
  start = Microseconds
  While Microseconds - start < 1500000 And s.IsPlaying
  Wend
  If s.IsPlaying Then LineTrace "still looping"
  s.Stop
  If Not s.IsPlaying Then LineTrace "stopped"
  Dim words As Sound = GetFolderItem("words.txt").OpenAsSound
  If words = Nil Then LineTrace "words are no sound"
  Quit
End Sub
