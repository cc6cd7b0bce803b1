' The calculator's main window: three tab pages, one per method of working
' out the allowable bearing stress of the ground, each with its inputs, its
' compute button and its long- and short-term results.
Window MainWindow
  Frame = 0
  HasBackColor = True
  BackColor = &c3DD5FF
  Title = "Morvint　Ｖ4.1.3"
  Placement = 0
  Width = 519
  Height = 373
  MinWidth = 560
  MinHeight = 300
  MaxWidth = 560
  MaxHeight = 300

  ' The selected foundation shape (1 circular, 2 any other) and ground type
  ' (1 dense sandy, 2 sandy, 3 clayey).
  Property KisoKejoNo As Integer
  Property JibanSyuNo As Integer

  Control TabPanel1 As TabPanel Subclassed
    Left = 0
    Top = 41
    Width = 522
    Height = 332
    Bold = True
    TabDefinition = "(一)" + Chr(13) + "(二)" + Chr(13) + "(三)"
  End Control
  Control StaticText1 As StaticText Subclassed
    Left = 17
    Top = 7
    Width = 484
    Height = 29
    Text = "地盤の許容応力度　令９３条　(告示1113号)"
    TextSize = 20
    Bold = True
    Italic = True
    TextAlign = 1
    TextColor = &cFF070B
  End Control
  Control PushButton1 As PushButton
    TabPanelIndex = 1
    Left = 422
    Top = 333
    Width = 69
    Height = 20
    Caption = "計算実行"
    Default = True
  End Control
  Control PushButton2 As PushButton
    TabPanelIndex = 3
    Left = 422
    Top = 333
    Width = 73
    Height = 20
    Caption = "計算実行"
    Default = True
  End Control
  Control PushButton3 As PushButton
    TabPanelIndex = 2
    Left = 422
    Top = 333
    Width = 69
    Height = 20
    Caption = "計算実行"
    Default = True
  End Control
  Control StaticText2 As StaticText
    Left = 203
    Top = 41
    Width = 335
    Height = 20
    Text = "作成　Morvint プロジェクト"
    Bold = True
    Italic = True
  End Control
  Control StaticText3 As StaticText
    TabPanelIndex = 1
    Left = 26
    Top = 75
    Width = 460
    Height = 37
    Text = "長期：qa=1/3（ic･α･Ｃ･Ｎｃ+iy･β･γ1･Ｂ･Ｎγ+ｉq･γ2･Ｄf･Ｎq)" + Chr(13) + "短期：qa=2/3（ic･α･Ｃ･Ｎｃ+iy･β･γ1･Ｂ･Ｎγ+ｉq･γ2･Ｄf･Ｎq)"
    Bold = True
    TextColor = &c1822CD
    MultiLine = True
  End Control
  Control StaticText4 As StaticText
    TabPanelIndex = 2
    Left = 21
    Top = 73
    Width = 454
    Height = 39
    Text = "長期　qa=qt＋1/3･Ｎ'･γ2･Ｄf" + Chr(13) + "短期　qa=2･qt＋1/3･Ｎ'･γ2･Ｄf"
    Bold = True
    TextColor = &c1822CD
    MultiLine = True
  End Control
  Control StaticText5 As StaticText
    TabPanelIndex = 3
    Left = 21
    Top = 72
    Width = 460
    Height = 37
    Text = "長期　qa=30＋0.6･Ｎsw" + Chr(13) + "短期　qa=60＋1.2･Ｎsw"
    Bold = True
    TextColor = &c1822CD
    MultiLine = True
  End Control
  Control StaticText6 As StaticText
    TabPanelIndex = 1
    Left = 17
    Top = 132
    Width = 89
    Height = 20
    Text = "θ(傾斜角)＝"
  End Control
  Control StaticText7 As StaticText
    TabPanelIndex = 1
    Left = 17
    Top = 155
    Width = 94
    Height = 16
    Text = "φ(内部摩擦角)＝"
  End Control
  Control GroupBox1 As GroupBox Subclassed
    TabPanelIndex = 1
    Left = 212
    Top = 124
    Width = 296
    Height = 70
    Caption = "基礎荷重面形状"
    Bold = True
  End Control
  Control RadioButton1(0) As RadioButton
    TabPanelIndex = 1
    Left = 230
    Top = 142
    Width = 80
    Height = 20
    Caption = "円　　形"
  End Control
  Control RadioButton1(1) As RadioButton
    TabPanelIndex = 1
    Left = 230
    Top = 165
    Width = 80
    Height = 20
    Caption = "円形以外"
  End Control
  Control EditField1 As EditField
    TabPanelIndex = 1
    Left = 117
    Top = 130
    Width = 64
    Height = 22
  End Control
  Control EditField2 As EditField
    TabPanelIndex = 1
    Left = 117
    Top = 153
    Width = 64
    Height = 22
  End Control
  Control StaticText8 As StaticText
    TabPanelIndex = 1
    Left = 176
    Top = 132
    Width = 49
    Height = 20
    Text = "　度"
  End Control
  Control StaticText9 As StaticText
    TabPanelIndex = 1
    Left = 176
    Top = 155
    Width = 49
    Height = 20
    Text = "　度"
  End Control
  Control StaticText10 As StaticText
    TabPanelIndex = 1
    Left = 333
    Top = 144
    Width = 24
    Height = 19
    Text = "Ｌ="
  End Control
  Control StaticText11 As StaticText
    TabPanelIndex = 1
    Left = 333
    Top = 166
    Width = 24
    Height = 20
    Text = "Ｂ="
  End Control
  Control EditField3 As EditField
    TabPanelIndex = 1
    Left = 362
    Top = 141
    Width = 69
    Height = 22
  End Control
  Control EditField4 As EditField
    TabPanelIndex = 1
    Left = 362
    Top = 163
    Width = 69
    Height = 22
  End Control
  Control StaticText12 As StaticText
    TabPanelIndex = 1
    Left = 443
    Top = 144
    Width = 59
    Height = 20
    Text = "ｍ(長径)"
  End Control
  Control StaticText13 As StaticText
    TabPanelIndex = 1
    Left = 443
    Top = 165
    Width = 59
    Height = 20
    Text = "ｍ(短径)"
  End Control
  Control StaticText14 As StaticText
    TabPanelIndex = 1
    Left = 15
    Top = 314
    Width = 61
    Height = 20
    Text = "計算結果"
    Bold = True
    TextColor = &cFF0F23
  End Control
  Control StaticText15 As StaticText
    TabPanelIndex = 1
    Left = 88
    Top = 318
    Width = 120
    Height = 20
    Text = "長期許容応力度　qa ="
  End Control
  Control StaticText16 As StaticText
    TabPanelIndex = 1
    Left = 88
    Top = 341
    Width = 126
    Height = 20
    Text = "短期許容応力度　qa ="
  End Control
  Control EditField5 As EditField
    TabPanelIndex = 1
    Left = 218
    Top = 318
    Width = 80
    Height = 22
  End Control
  Control EditField6 As EditField
    TabPanelIndex = 1
    Left = 218
    Top = 341
    Width = 80
    Height = 22
  End Control
  Control StaticText17 As StaticText
    TabPanelIndex = 1
    Left = 307
    Top = 320
    Width = 68
    Height = 20
    Text = "kＮ／ｍ2"
  End Control
  Control StaticText18 As StaticText
    TabPanelIndex = 1
    Left = 307
    Top = 343
    Width = 68
    Height = 20
    Text = "kＮ／ｍ2"
  End Control
  Control StaticText23 As StaticText
    TabPanelIndex = 1
    Left = 3
    Top = 202
    Width = 33
    Height = 20
    Text = "Ｃ  ="
  End Control
  Control StaticText24 As StaticText
    TabPanelIndex = 1
    Left = 103
    Top = 204
    Width = 235
    Height = 20
    Text = "　kＮ／ｍ2（基礎直下の地盤の粘着力）"
  End Control
  Control EditField9 As EditField
    TabPanelIndex = 1
    Left = 40
    Top = 199
    Width = 67
    Height = 22
  End Control
  Control StaticText25 As StaticText
    TabPanelIndex = 1
    Left = 3
    Top = 223
    Width = 33
    Height = 20
    Text = "Ｄf="
  End Control
  Control StaticText26 As StaticText
    TabPanelIndex = 1
    Left = 102
    Top = 223
    Width = 227
    Height = 20
    Text = "　ｍ（基礎底板の深さ）"
  End Control
  Control EditField10 As EditField
    TabPanelIndex = 1
    Left = 40
    Top = 221
    Width = 67
    Height = 22
  End Control
  Control StaticText27 As StaticText
    TabPanelIndex = 1
    Left = 3
    Top = 243
    Width = 33
    Height = 20
    Text = "γ1="
  End Control
  Control StaticText28 As StaticText
    TabPanelIndex = 1
    Left = 3
    Top = 265
    Width = 33
    Height = 20
    Text = "γ2="
  End Control
  Control StaticText29 As StaticText
    TabPanelIndex = 1
    Left = 103
    Top = 244
    Width = 235
    Height = 22
    Text = "　kN／ｍ3（基礎荷重面下地盤の単位重量）"
  End Control
  Control EditField11 As EditField
    TabPanelIndex = 1
    Left = 40
    Top = 243
    Width = 67
    Height = 22
  End Control
  Control EditField12 As EditField
    TabPanelIndex = 1
    Left = 40
    Top = 265
    Width = 67
    Height = 22
  End Control
  Control StaticText30 As StaticText
    TabPanelIndex = 1
    Left = 102
    Top = 267
    Width = 235
    Height = 22
    Text = "　kN／ｍ3（基礎荷重面上地盤の単位重量）"
  End Control
  Control Separator1 As Separator
    Left = -17
    Top = 111
    Width = 565
    Height = 4
  End Control
  Control Separator2 As Separator
    TabPanelIndex = 2
    Left = 0
    Top = 111
    Width = 522
    Height = 6
  End Control
  Control GroupBox2 As GroupBox
    TabPanelIndex = 2
    Left = 17
    Top = 136
    Width = 130
    Height = 103
    Caption = "地盤の種類"
    Bold = True
  End Control
  Control RadioButton2(0) As RadioButton
    TabPanelIndex = 2
    Left = 26
    Top = 155
    Width = 106
    Height = 19
    Caption = "密実な砂質地盤"
    Value = True
  End Control
  Control RadioButton2(1) As RadioButton
    TabPanelIndex = 2
    Left = 26
    Top = 180
    Width = 80
    Height = 20
    Caption = "砂質地盤"
  End Control
  Control RadioButton2(2) As RadioButton
    TabPanelIndex = 2
    Left = 26
    Top = 205
    Width = 80
    Height = 20
    Caption = "粘土質地盤"
  End Control
  Control Separator3 As Separator
    TabPanelIndex = 3
    Left = 0
    Top = 113
    Width = 520
    Height = 1
  End Control
  Control StaticText19 As StaticText
    TabPanelIndex = 3
    Left = 26
    Top = 144
    Width = 45
    Height = 20
    Text = "Nsw="
  End Control
  Control EditField7 As EditField
    TabPanelIndex = 3
    Left = 75
    Top = 142
    Width = 80
    Height = 22
  End Control
  Control StaticText20 As StaticText
    TabPanelIndex = 3
    Left = 75
    Top = 184
    Width = 420
    Height = 61
    Text = "基礎の底部から下方２ｍ以内の距離にある地盤のスウェーデン式サウンディングにおける１メートル当たりの半回転数の平均値。" + Chr(13) + "１５０以上の場合は　Nsw=150とする。"
    MultiLine = True
  End Control
  Control StaticText21 As StaticText
    TabPanelIndex = 3
    Left = 167
    Top = 148
    Width = 70
    Height = 11
    Text = "回／ｍ"
  End Control
  Control StaticText22 As StaticText
    TabPanelIndex = 2
    Left = 10
    Top = 314
    Width = 74
    Height = 20
    Text = "計算結果"
    Bold = True
    TextColor = &cFF0F23
  End Control
  Control StaticText31 As StaticText
    TabPanelIndex = 2
    Left = 88
    Top = 318
    Width = 120
    Height = 20
    Text = "長期許容応力度　qa ="
  End Control
  Control StaticText32 As StaticText
    TabPanelIndex = 2
    Left = 88
    Top = 341
    Width = 126
    Height = 20
    Text = "短期許容応力度　qa ="
  End Control
  Control EditField8 As EditField
    TabPanelIndex = 2
    Left = 218
    Top = 318
    Width = 80
    Height = 22
  End Control
  Control EditField13 As EditField
    TabPanelIndex = 2
    Left = 218
    Top = 341
    Width = 80
    Height = 22
  End Control
  Control StaticText33 As StaticText
    TabPanelIndex = 2
    Left = 307
    Top = 320
    Width = 68
    Height = 20
    Text = "kＮ／ｍ2"
  End Control
  Control StaticText34 As StaticText
    TabPanelIndex = 2
    Left = 307
    Top = 343
    Width = 68
    Height = 20
    Text = "kＮ／ｍ2"
  End Control
  Control StaticText35 As StaticText
    TabPanelIndex = 3
    Left = 9
    Top = 322
    Width = 74
    Height = 20
    Text = "計算結果"
    Bold = True
    TextColor = &cFF0F23
  End Control
  Control StaticText36 As StaticText
    TabPanelIndex = 3
    Left = 95
    Top = 322
    Width = 120
    Height = 20
    Text = "長期許容応力度　qa ="
  End Control
  Control StaticText37 As StaticText
    TabPanelIndex = 3
    Left = 95
    Top = 345
    Width = 126
    Height = 20
    Text = "短期許容応力度　qa ="
  End Control
  Control EditField14 As EditField
    TabPanelIndex = 3
    Left = 225
    Top = 322
    Width = 80
    Height = 22
  End Control
  Control EditField15 As EditField
    TabPanelIndex = 3
    Left = 225
    Top = 345
    Width = 80
    Height = 22
  End Control
  Control StaticText38 As StaticText
    TabPanelIndex = 3
    Left = 317
    Top = 324
    Width = 68
    Height = 20
    Text = "kＮ／ｍ2"
  End Control
  Control StaticText39 As StaticText
    TabPanelIndex = 3
    Left = 317
    Top = 345
    Width = 68
    Height = 20
    Text = "kＮ／ｍ2"
  End Control
  Control StaticText40 As StaticText
    TabPanelIndex = 2
    Left = 155
    Top = 152
    Width = 33
    Height = 20
    Text = "Ｄf="
  End Control
  Control EditField16 As EditField
    TabPanelIndex = 2
    Left = 196
    Top = 150
    Width = 67
    Height = 22
  End Control
  Control StaticText41 As StaticText
    TabPanelIndex = 2
    Left = 262
    Top = 152
    Width = 227
    Height = 20
    Text = "　ｍ（基礎底板の深さ）"
  End Control
  Control StaticText42 As StaticText
    TabPanelIndex = 2
    Left = 155
    Top = 176
    Width = 33
    Height = 20
    Text = "γ2="
  End Control
  Control EditField17 As EditField
    TabPanelIndex = 2
    Left = 196
    Top = 176
    Width = 67
    Height = 22
  End Control
  Control StaticText43 As StaticText
    TabPanelIndex = 2
    Left = 262
    Top = 175
    Width = 235
    Height = 22
    Text = "　kN／ｍ3（基礎荷重面上地盤の単位重量）"
  End Control
  Control StaticText44 As StaticText
    TabPanelIndex = 2
    Left = 158
    Top = 199
    Width = 33
    Height = 25
    Text = "qt="
  End Control
  Control EditField18 As EditField
    TabPanelIndex = 2
    Left = 196
    Top = 202
    Width = 67
    Height = 22
  End Control
  Control StaticText45 As StaticText
    TabPanelIndex = 2
    Left = 271
    Top = 203
    Width = 243
    Height = 58
    Text = "kN／ｍ2（平板載荷試験による降伏荷重度の１／２の数値または極限応力度の１／３の数値のうち小さい方の値）"
    MultiLine = True
  End Control
  Control Separator4 As Separator
    Left = -35
    Top = 307
    Width = 591
    Height = 2
  End Control
  Control EditField19 As EditField
    TabPanelIndex = 1
    Left = 376
    Top = 209
    Width = 52
    Height = 22
    Border = False
  End Control
  Control EditField20 As EditField
    TabPanelIndex = 1
    Left = 376
    Top = 231
    Width = 52
    Height = 22
    Border = False
  End Control
  Control EditField21 As EditField
    TabPanelIndex = 1
    Left = 376
    Top = 253
    Width = 52
    Height = 22
    Border = False
  End Control
  Control EditField22 As EditField
    TabPanelIndex = 1
    Left = 456
    Top = 209
    Width = 52
    Height = 22
    Border = False
    ScrollBarHorizontal = True
  End Control
  Control EditField23 As EditField
    TabPanelIndex = 1
    Left = 456
    Top = 231
    Width = 52
    Height = 22
    Border = False
  End Control
  Control EditField24 As EditField
    TabPanelIndex = 1
    Left = 456
    Top = 253
    Width = 52
    Height = 22
    Border = False
  End Control
  Control StaticText46 As StaticText
    TabPanelIndex = 1
    Left = 351
    Top = 210
    Width = 31
    Height = 16
    Text = "Nc="
  End Control
  Control StaticText47 As StaticText
    TabPanelIndex = 1
    Left = 352
    Top = 231
    Width = 31
    Height = 16
    Text = "Nr="
  End Control
  Control StaticText48 As StaticText
    TabPanelIndex = 1
    Left = 351
    Top = 254
    Width = 31
    Height = 16
    Text = "Nq="
  End Control
  Control StaticText49 As StaticText
    TabPanelIndex = 1
    Left = 435
    Top = 212
    Width = 31
    Height = 16
    Text = "ic="
  End Control
  Control StaticText50 As StaticText
    TabPanelIndex = 1
    Left = 436
    Top = 232
    Width = 31
    Height = 16
    Text = "ir="
  End Control
  Control StaticText51 As StaticText
    TabPanelIndex = 1
    Left = 435
    Top = 253
    Width = 31
    Height = 16
    Text = "iq="
  End Control
  Control GroupBox3 As GroupBox
    TabPanelIndex = 1
    Left = 344
    Top = 193
    Width = 169
    Height = 110
    Caption = "Data"
  End Control
  Control StaticText52 As StaticText
    TabPanelIndex = 1
    Left = 351
    Top = 276
    Width = 31
    Height = 20
    Text = "α="
  End Control
  Control StaticText53 As StaticText
    TabPanelIndex = 1
    Left = 433
    Top = 275
    Width = 31
    Height = 20
    Text = "β="
  End Control
  Control EditField25 As EditField
    TabPanelIndex = 1
    Left = 376
    Top = 275
    Width = 52
    Height = 22
    Border = False
  End Control
  Control EditField26 As EditField
    TabPanelIndex = 1
    Left = 456
    Top = 275
    Width = 52
    Height = 22
    Border = False
  End Control

  Sub KisoKejo(n As Integer)
    KisoKejoNo = n
  End Sub

  Sub JibanSyu(n As Integer)
    JibanSyuNo = n
  End Sub

  ' Circular foundations on dense sandy ground to begin with.
  Handler Open()
    RadioButton1(0).Value = True
    KisoKejo(1)
    RadioButton2(0).Value = True
    JibanSyu(1)
  End Handler

  Handler EnableMenuItems()
    AppleAboutMenuItem.Enabled = True
    About.Enabled = True
  End Handler

  Handler RadioButton1.Action()
    KisoKejo(Index + 1)
  End Handler

  Handler RadioButton2.Action()
    JibanSyu(Index + 1)
  End Handler

  ' One more About window each time.
  MenuHandler AppleAboutMenuItem() As Boolean
    Dim dialog As AboutDialog = New AboutDialog
    Return False
  End MenuHandler

  MenuHandler About() As Boolean
    MsgBox "Morvint Ver. 1.4.3" + Chr(13) + "作成　Morvint プロジェクト"
    Return True
  End MenuHandler

  ' Tab (一): from the ground's shear constants, with the bearing-capacity,
  ' inclination and shape factors.
  Handler PushButton1.Action()
    Dim theta As Double = Val(EditField1.Text)
    Dim phi As Double = Val(EditField2.Text)
    Dim L As Double = Val(EditField3.Text)
    Dim B As Double = Val(EditField4.Text)
    Dim C As Double = Val(EditField9.Text)
    Dim Df As Double = Val(EditField10.Text)
    Dim gamma1 As Double = Val(EditField11.Text)
    Dim gamma2 As Double = Val(EditField12.Text)

    ' Inclination factors; a load steeper than the friction angle counts as that angle.
    Dim ic As Double
    Dim iq As Double
    Dim igamma As Double
    If theta = 0 Then
      ic = 1
      iq = 1
      igamma = 1
    Else
      If theta > phi Then theta = phi
      ic = Pow(1 - theta / 90.0, 2.0)
      iq = Pow(1 - theta / 90.0, 2.0)
      igamma = Pow(1 - theta / phi, 2.0)
    End If

    ' Shape factors.
    Dim alpha As Double
    Dim beta As Double
    Select Case KisoKejoNo
    Case 1
      alpha = 1.2
      beta = 0.3
    Case 2
      alpha = 1.0 + (0.2 * B) / L
      beta = 0.5 - (0.2 * B) / L
    Case Else
      Return
    End Select

    ' Bearing-capacity factors from the table by the friction angle, read
    ' between its rows in a straight line.
    Dim Nc As Double
    Dim Ngamma As Double
    Dim Nq As Double
    If phi <= 0 Then
      Nc = 5.1
      Ngamma = 0
      Nq = 1.0
    ElseIf phi < 5 Then
      Nc = Between(phi, 0, 5.0, 5.1, 6.5)
      Ngamma = Between(phi, 0, 5.0, 0, 0.1)
      Nq = Between(phi, 0, 5.0, 1.0, 1.6)
    ElseIf phi < 10 Then
      Nc = Between(phi, 5, 5.0, 6.5, 8.3)
      Ngamma = Between(phi, 5, 5.0, 0.1, 0.4)
      Nq = Between(phi, 5, 5.0, 1.6, 2.5)
    ElseIf phi < 15 Then
      Nc = Between(phi, 10, 5.0, 8.3, 11.0)
      Ngamma = Between(phi, 10, 5.0, 0.4, 1.1)
      Nq = Between(phi, 10, 5.0, 2.5, 3.9)
    ElseIf phi < 20 Then
      Nc = Between(phi, 15, 5.0, 11.0, 14.8)
      Ngamma = Between(phi, 15, 5.0, 1.1, 2.9)
      Nq = Between(phi, 15, 5.0, 3.9, 6.4)
    ElseIf phi < 25 Then
      Nc = Between(phi, 20, 5.0, 14.8, 20.7)
      Ngamma = Between(phi, 20, 5.0, 2.9, 6.8)
      Nq = Between(phi, 20, 5.0, 6.4, 10.7)
    ElseIf phi < 28 Then
      Nc = Between(phi, 25, 3.0, 20.7, 25.8)
      Ngamma = Between(phi, 25, 3.0, 6.8, 11.2)
      Nq = Between(phi, 25, 3.0, 10.7, 14.7)
    ElseIf phi < 32 Then
      Nc = Between(phi, 28, 4.0, 25.8, 35.5)
      Ngamma = Between(phi, 28, 4.0, 11.2, 22.0)
      Nq = Between(phi, 28, 4.0, 14.7, 23.2)
    ElseIf phi < 36 Then
      Nc = Between(phi, 32, 4.0, 35.5, 50.6)
      Ngamma = Between(phi, 32, 4.0, 22.0, 44.4)
      Nq = Between(phi, 32, 4.0, 23.2, 37.8)
    ElseIf phi < 40 Then
      Nc = Between(phi, 36, 4.0, 50.6, 75.3)
      Ngamma = Between(phi, 36, 4.0, 44.4, 93.7)
      Nq = Between(phi, 36, 4.0, 37.8, 64.2)
    Else
      Nc = 75.3
      Ngamma = 93.7
      Nq = 64.2
    End If

    Dim S As Double = ((ic * alpha) * C) * Nc + (((igamma * beta) * gamma1) * B) * Ngamma
    S = S + ((iq * gamma2) * Df) * Nq
    Dim qL As Double = S / 3
    EditField5.Text = Str(ThreeDecimals(qL))
    EditField6.Text = Str(ThreeDecimals(2 * qL))
    EditField19.Text = Str(Nc)
    EditField20.Text = Str(Ngamma)
    EditField21.Text = Str(Nq)
    EditField22.Text = Str(ic)
    EditField23.Text = Str(igamma)
    EditField24.Text = Str(iq)
    EditField25.Text = Str(alpha)
    EditField26.Text = Str(beta)
  End Handler

  ' Tab (二): from a plate load test and the ground type. Its inputs are held
  ' in single precision.
  Handler PushButton3.Action()
    Dim Df As Single = Val(EditField16.Text)
    Dim gamma2 As Single = Val(EditField17.Text)
    Dim qt As Single = Val(EditField18.Text)
    Dim N As Integer
    Select Case JibanSyuNo
    Case 1
      N = 12
    Case 2
      N = 6
    Case 3
      N = 3
    Case Else
      Return
    End Select
    EditField8.Text = Str(ThreeDecimals(qt + (((1.0 / 3.0) * N) * Df) * gamma2))
    EditField13.Text = Str(ThreeDecimals((2 * qt) + (((1.0 / 3.0) * N) * Df) * gamma2))
  End Handler

  ' Tab (三): from the Swedish weight sounding; the short term doubles the
  ' floored long-term value.
  Handler PushButton2.Action()
    Dim Nsw As Double = Val(EditField7.Text)
    If Nsw >= 150 Then Nsw = 150
    Dim qaL As Double = ThreeDecimals(30.0 + (0.6 * Nsw))
    EditField14.Text = Str(qaL)
    EditField15.Text = Str(ThreeDecimals(2 * qaL))
  End Handler

  ' A factor between two rows of the table: from the row below, the step to
  ' the next row times the way there.
  Function Between(phi As Double, from As Double, width As Double, below As Double, above As Double) As Double
    Return below + ((phi - from) * (above - below)) / width
  End Function

  ' Results are cut, not rounded, to three decimals.
  Function ThreeDecimals(x As Double) As Double
    Return Floor(x * 1000) / 1000
  End Function
End Window
