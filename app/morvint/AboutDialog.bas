' The About window: the program's name, version and purpose, closed by its
' OK button. Each About command opens one more.
Window AboutDialog
  Frame = 0
  HasBackColor = True
  BackColor = &c3DD5FF
  Title = "このプログラムについて"
  CloseBox = False
  Placement = 1
  Width = 248
  Height = 245

  Control PushButton1 As PushButton
    Left = 91
    Top = 194
    Width = 70
    Height = 20
    Caption = "ＯＫ"
    Default = True
    Bold = True
  End Control
  Control StaticText1 As StaticText
    Left = 24
    Top = 83
    Width = 200
    Height = 54
    Text = "Morvint"
    TextSize = 40
    Bold = True
    TextAlign = 1
    TextColor = &cFF0F23
    MultiLine = True
  End Control
  Control StaticText2 As StaticText Subclassed
    Left = 39
    Top = 141
    Width = 175
    Height = 41
    Text = "Ver. 1.4.3" + Chr(13) + "作成　Morvint プロジェクト"
    Bold = True
    TextAlign = 1
    MultiLine = True
  End Control
  Control StaticText4 As StaticText
    Left = 3
    Top = 25
    Width = 242
    Height = 65
    Text = "建築基準法施行令第93条" + Chr(13) + "地盤の許容応力度計算プログラム" + Chr(13) + "(国土交通省告示第1113号)"
    TextSize = 13
    Bold = True
    TextAlign = 1
    MultiLine = True
  End Control

  Handler PushButton1.Action()
    Close
  End Handler
End Window
