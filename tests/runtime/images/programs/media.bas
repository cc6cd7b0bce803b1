' A picture, a sound and a movie carried in the image and reached by their
' names.
Picture Logo = "media/logo.bmp"
Sound Chime = "media/chime.wav"
Movie Clip = "media/clip.avi"

Sub Main()
  LineTrace "logo " + Str(Logo.Width) + " x " + Str(Logo.Height)
  If Chime <> Nil Then LineTrace "chime carried"
  Chime.Volume = 50
  Chime.Play
  Chime.Stop
  LineTrace "chime volume " + Str(Chime.Volume)
  LineTrace "clip " + Str(Clip.Width) + " x " + Str(Clip.Height)
End Sub
