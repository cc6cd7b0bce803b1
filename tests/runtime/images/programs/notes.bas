' A note player placed on a window: its instrument and notes go to the MIDI
' output (the test bed has none, so nothing is heard), and a note outside
' 0 to 127 raises OutOfBoundsException, which the program catches.
Project
  MainWindow = Main
End Project

Window Main
  Title = "Notes"
  Width = 200
  Height = 100
  Control Piano As NotePlayer
  End Control
  Handler Open()
    Piano.Instrument = 19
    LineTrace "instrument " + Str(Piano.Instrument)
    Piano.PlayNote(60, 100)
    Piano.PlayNote(60, 0)
    Try
      Piano.PlayNote(128, 100)
    Catch e As OutOfBoundsException
      LineTrace "note 128 refused"
    End Try
    Quit
  End Handler
End Window
