' Project items reached by their names from everywhere: objects made at
' start-up (a built-in class and a class of the program, whose constructor
' reads another item), a cursor set as the application's and a window's, a
' carried text and data file, and a carried movie's measures. The
' application's Open handler runs before Main and finds every item there.
Cursor Pointer = "media/pointer.cur"
Text Notice = "media/notice.txt"
Data Table = "media/table.bin"
Movie Clip = "media/clip.avi"
Object Settings As Dictionary
Object Tally As Counter

Class Counter
  Property Count As Integer
  Property Label As String
  Sub Constructor()
    Label = NthField(Notice.Text, ",", 1)
    Count = 1
  End Sub
  Sub Bump()
    Count = Count + 1
  End Sub
End Class

Class App Inherits Application
  Handler Open()
    Settings.Value("opened") = 1
    Tally.Bump
    Self.MouseCursor = Pointer
    LineTrace "open " + Str(Settings.Count) + " " + Str(Tally.Count) + " " + Str(Clip.Duration)
  End Handler
End Class

Window Plain
  Title = "Cursor"
  Width = 120
  Height = 80
End Window

Sub Remember(key As String)
  Settings.Value(key) = Settings.Count + 1
End Sub

Sub Main()
  Remember("main")
  Tally.Bump
  LineTrace Tally.Label + " " + Str(Tally.Count) + " " + Str(Settings.Value("main"))
  LineTrace "notice [" + NthField(Notice.Text, Chr(13), 1) + "] " + Str(Len(Notice.Text))
  Dim b As MemoryBlock = Table.Data
  LineTrace "table " + Str(b.Size) + " " + Str(b.Byte(3)) + " " + Str(b.Byte(4)) + " " + Hex(b.Long(4))
  Dim w As New Plain
  w.MouseCursor = Pointer
  If w.MouseCursor = Pointer And Pointer <> Nil Then LineTrace "window cursor set"
  w.Close
  LineTrace "clip " + Str(Clip.FrameCount) + " frames " + Str(Clip.Duration) + " ms"
End Sub
