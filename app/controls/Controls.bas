' Controls: the runtime's value controls at work. A timer keeps a clock; a
' slider drives a progress bar beside a bar that shows it is busy; a scroll
' bar pans a number; a pop-up menu offers fruit whose prices ride in the row
' tags; a right click on the window opens a contextual menu built in code;
' and a field lists the screens the system reports.
Project
  ApplicationName = "Controls"
  MainWindow = ControlsWindow
End Project

Window ControlsWindow
  Title = "Controls"
  Width = 440
  Height = 360

  Control ClockText As StaticText
    Left = 12
    Top = 10
    Width = 200
    Height = 18
    Text = "--:--:--"
  End Control
  Control Clock As Timer
    Mode = 2
    Period = 250
  End Control
  Control VolumeSlider As Slider
    Left = 12
    Top = 38
    Width = 240
    Height = 28
    Minimum = 0
    Maximum = 100
    Value = 40
  End Control
  Control LevelText As StaticText
    Left = 264
    Top = 42
    Width = 160
    Height = 18
    Text = ""
  End Control
  Control LevelBar As ProgressBar
    Left = 12
    Top = 72
    Width = 240
    Height = 16
    Maximum = 100
  End Control
  Control BusyBar As ProgressBar
    Left = 264
    Top = 72
    Width = 160
    Height = 16
    Maximum = 0
  End Control
  Control PanBar As ScrollBar
    Left = 12
    Top = 100
    Width = 240
    Height = 17
    Minimum = 0
    Maximum = 10
    Value = 5
  End Control
  Control PanText As StaticText
    Left = 264
    Top = 100
    Width = 160
    Height = 18
    Text = ""
  End Control
  Control FruitMenu As PopupMenu
    Left = 12
    Top = 130
    Width = 160
    Height = 22
    InitialValue = "Apple" + Chr(13) + "Banana" + Chr(13) + "Cherry"
  End Control
  Control ChoiceText As StaticText
    Left = 184
    Top = 133
    Width = 240
    Height = 18
    Text = ""
  End Control
  Control EditMenu As ContextualMenu
  End Control
  Control ScreensField As EditField
    Left = 12
    Top = 166
    Width = 412
    Height = 120
    MultiLine = True
    ReadOnly = True
    Alignment = 1
  End Control
  Control HintText As StaticText
    Left = 12
    Top = 296
    Width = 412
    Height = 18
    Text = "Right-click the window for a menu."
  End Control

  Handler Open()
    ' Prices in yen, one a row, carried in the rows' tags.
    FruitMenu.RowTag(0) = 150
    FruitMenu.RowTag(1) = 120
    FruitMenu.RowTag(2) = 480
    FruitMenu.ListIndex = 0
    ShowTime
    ShowLevel
    PanText.Text = "Pan " + Str(PanBar.Value)
    Dim shown As String
    For i As Integer = 0 To ScreenCount - 1
      Dim s As Screen = Screen(i)
      shown = shown + "Screen " + Str(i + 1) + ": " + Str(s.Left) + "," + Str(s.Top) + " " + Str(s.Width) + "x" + Str(s.Height) + ", " + Str(s.Depth) + " bits" + Chr(13) + Chr(10)
    Next
    ScreensField.Text = shown
  End Handler

  Sub ShowLevel()
    LevelBar.Value = VolumeSlider.Value
    LevelText.Text = "Level " + Str(VolumeSlider.Value)
  End Sub

  Sub ShowTime()
    Dim now As New Date
    ClockText.Text = Right("0" + Str(now.Hour), 2) + ":" + Right("0" + Str(now.Minute), 2) + ":" + Right("0" + Str(now.Second), 2)
  End Sub

  Handler Clock.Action()
    ShowTime
  End Handler

  Handler VolumeSlider.ValueChanged()
    ShowLevel
  End Handler

  Handler PanBar.ValueChanged()
    PanText.Text = "Pan " + Str(PanBar.Value)
  End Handler

  Handler FruitMenu.Change()
    If FruitMenu.ListIndex >= 0 Then
      Dim price As Integer = FruitMenu.RowTag(FruitMenu.ListIndex)
      ChoiceText.Text = FruitMenu.Text + ": " + Str(price) + " yen"
    End If
  End Handler

  ' The right button opens the contextual menu, made afresh each time.
  Handler MouseDown(X As Integer, Y As Integer) As Boolean
    If IsContextualClick Then
      EditMenu.ResetContent
      EditMenu.AddRow "Silence"
      EditMenu.AddRow "Full volume"
      EditMenu.AddSeparator
      EditMenu.AddRow "Centre the pan"
      EditMenu.Open
      Return True
    End If
  End Handler

  Handler EditMenu.Action(Item As String)
    If Item = "Silence" Then VolumeSlider.Value = 0
    If Item = "Full volume" Then VolumeSlider.Value = 100
    If Item = "Centre the pan" Then PanBar.Value = 5
    HintText.Text = "Chose " + Item
  End Handler
End Window
