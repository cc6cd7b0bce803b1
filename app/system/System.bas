' System: what the system object tells of the machine it runs on (Gestalt's
' answers and the key script), the colour of the screen under the mouse, a
' beep, a URL or document opened with its program, tool tips switched on and
' off, and a line whose end follows a slider.
Project
  ApplicationName = "System"
  MainWindow = SystemWindow
End Project

Window SystemWindow
  Title = "System"
  Width = 520
  Height = 360

  Control AnswersText As StaticText
    Left = 12
    Top = 10
    Width = 496
    Height = 96
    MultiLine = True
    Text = ""
  End Control
  Control PixelText As StaticText
    Left = 12
    Top = 114
    Width = 300
    Height = 18
    Text = ""
  End Control
  Control Sampler As Timer
    Mode = 2
    Period = 200
  End Control
  Control BeepButton As PushButton
    Left = 12
    Top = 142
    Width = 90
    Height = 24
    Caption = "Beep"
    HelpTag = "Plays the system's alert sound"
  End Control
  Control UrlField As EditField
    Left = 12
    Top = 178
    Width = 300
    Height = 22
    Text = "https://example.com/"
    HelpTag = "A web address or a document's path"
  End Control
  Control OpenButton As PushButton
    Left = 320
    Top = 177
    Width = 80
    Height = 24
    Caption = "Open"
    HelpTag = "Opens the address with its program"
  End Control
  Control OpenText As StaticText
    Left = 410
    Top = 180
    Width = 100
    Height = 18
    Text = ""
  End Control
  Control TipsCheck As CheckBox
    Left = 12
    Top = 212
    Width = 200
    Height = 20
    Caption = "Show tool tips"
    Value = True
    HelpTag = "Tool tips show while this is checked"
  End Control
  Control LineSlider As Slider
    Left = 12
    Top = 246
    Width = 240
    Height = 26
    Minimum = 280
    Maximum = 500
    Value = 380
    HelpTag = "Moves the line's right end"
  End Control
  Control LineText As StaticText
    Left = 12
    Top = 284
    Width = 250
    Height = 18
    Text = ""
  End Control
  Control Rule As Line
    X1 = 280
    Y1 = 320
    X2 = 380
    Y2 = 250
    BorderWidth = 4
    BorderColor = &cD02020
  End Control

  Handler Open()
    AnswersText.Text = Answers()
    ShowLine
  End Handler

  ' A line of Gestalt's answer for a selector, or nothing for one it lacks.
  Function Answer(label As String, selector As String) As String
    Dim value As Integer
    If System.Gestalt(selector, value) Then Return label + " " + Str(value) + "   "
    Return ""
  End Function

  Function ScriptName(script As Integer) As String
    Select Case script
    Case 0
      Return "Roman"
    Case 1
      Return "Japanese"
    Case 2
      Return "Traditional Chinese"
    Case 3
      Return "Korean"
    Case 25
      Return "Simplified Chinese"
    End Select
    Return "script " + Str(script)
  End Function

  Function Answers() As String
    Dim version As Integer
    Dim os As String = "Windows ?"
    If System.Gestalt("sysv", version) Then os = "Windows " + Str(version \ 256) + "." + Str(version Mod 256)
    Dim cr As String = Chr(13)
    Return Answer("Platform", "plat") + os + "   " + Answer("Build", "sysb") + cr + Answer("Processor architecture", "sysa") + Answer("Processors", "cpun") + Answer("Memory MB", "ram ") + cr + Answer("Screen width", "scrw") + Answer("height", "scrh") + Answer("depth", "scrd") + cr + "Language " + Hex(LanguageId) + "   Keyboard " + ScriptName(System.KeyScript) + "   " + Answer("Runtime", "qxvr")
  End Function

  Function LanguageId() As Integer
    Dim id As Integer
    If System.Gestalt("lang", id) Then Return id
    Return 0
  End Function

  Sub ShowLine()
    LineText.Text = "Line from " + Str(Rule.X1) + "," + Str(Rule.Y1) + " to " + Str(Rule.X2) + "," + Str(Rule.Y2)
  End Sub

  Handler Sampler.Action()
    Dim x As Integer = System.MouseX
    Dim y As Integer = System.MouseY
    Dim c As Color = System.Pixel(x, y)
    PixelText.Text = "Under the mouse: " + Right("00000" + Hex(c.Red * 65536 + c.Green * 256 + c.Blue), 6)
  End Handler

  Handler BeepButton.Action()
    Beep
  End Handler

  Handler OpenButton.Action()
    If ShowURL(UrlField.Text) Then
      OpenText.Text = "Opened"
    Else
      OpenText.Text = "Refused"
    End If
  End Handler

  Handler TipsCheck.Action()
    App.BalloonHelpVisible = TipsCheck.Value
  End Handler

  Handler LineSlider.ValueChanged()
    Rule.X2 = LineSlider.Value
    ShowLine
  End Handler
End Window

Class SystemApp Inherits Application
End Class
