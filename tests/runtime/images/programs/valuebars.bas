' A window with a scroll bar, a slider, a progress bar and a pop-up menu:
' their defaults, values, rows and events go to the trace, then Main closes
' it and the program ends without an event loop.
Sub Main()
  Bars.Show
  Bars.Close
End Sub

Window Bars
  Title = "Value bars"
  Width = 320
  Height = 200
  Control Bar As ScrollBar
    Left = 10
    Top = 10
    Maximum = 50
    Value = 5
  End Control
  Control Knob As Slider
    Left = 10
    Top = 40
    Width = 24
    Height = 120
  End Control
  Control Done As ProgressBar
    Left = 50
    Top = 40
    Maximum = 70000
  End Control
  Control Choice As PopupMenu
    Left = 50
    Top = 80
    InitialValue = "red" + Chr(13) + "green"
  End Control
  Handler Open()
    LineTrace "bar " + Str(Bar.Minimum) + " " + Str(Bar.Value) + " " + Str(Bar.Maximum) + " " + Str(Bar.LineStep) + " " + Str(Bar.PageStep)
    LineTrace "knob " + Str(Knob.Maximum) + " " + Str(Knob.Width) + "x" + Str(Knob.Height)
    Bar.Value = 7
    Bar.Value = 7
    Knob.Value = 60
    Done.Value = 69000
    LineTrace "done " + Str(Done.Value) + " of " + Str(Done.Maximum)
    Choice.AddRow "blue"
    Choice.InsertRow 0, "black"
    Choice.List(1) = "RED"
    Choice.RowTag(2) = 42
    Choice.ListIndex = 1
    LineTrace "choice " + Str(Choice.ListCount) + " " + Choice.Text + " " + Choice.List(3) + " " + Str(Choice.RowTag(2))
    Try
      LineTrace Choice.List(4)
    Catch e As OutOfBoundsException
      LineTrace "row 4 caught"
    End Try
    Choice.DeleteAllRows
    LineTrace "emptied " + Str(Choice.ListCount) + " " + Str(Choice.ListIndex)
  End Handler
  Handler Bar.ValueChanged()
    LineTrace "bar changed " + Str(Bar.Value)
  End Handler
  Handler Knob.ValueChanged()
    LineTrace "knob changed " + Str(Knob.Value)
  End Handler
  Handler Choice.Change()
    LineTrace "choice changed " + Str(Choice.ListIndex)
  End Handler
End Window
