' The kphelp plug-in's probe on a window with a check box, a radio button
' and a list: the probe's Open handler traces what the plug-in helpers
' answer (calling the Ping handler below through them), then the window's
' Open handler works the controls the plug-in's listeners watch.
Sub Main()
  Helped.Show
  Helped.Close
End Sub

Window Helped
  Title = "Helpers"
  Width = 300
  Height = 200
  HasBackColor = True
  BackColor = &c00FF00
  Control Check As CheckBox
    Left = 10
    Top = 10
    Caption = "Check"
  End Control
  Control Radio As RadioButton
    Left = 10
    Top = 40
    Caption = "Radio"
  End Control
  Control List As Listbox
    Left = 120
    Top = 10
  End Control
  Control Probe As KPHelpProbe
    Left = 10
    Top = 80
    Width = 40
    Height = 20
  End Control
  Handler Open()
    List.AddRow "first"
    Check.Value = True
    Radio.Value = True
    List.ListIndex = 0
    LineTrace "done"
  End Handler
  Handler Probe.Ping(n As Integer) As Integer
    Return n * 2
  End Handler
End Window
