' A module of utilities shared by two windows: the main window opens a
' second one; both label their controls through the module, which counts
' the labels it made.
Project
  MainWindow = Ledger
End Project

Module Labels
  Const Separator = ": "
  Property Made As Integer
  Function Label(name As String, value As Double) As String
    Made = Made + 1
    Return name + Separator + Format(value, "0.00")
  End Function
End Module

Window Ledger
  Title = "Ledger"
  Width = 240
  Height = 100
  Control Total As StaticText
    Left = 10
    Top = 10
    Width = 200
    Height = 20
  End Control
  Handler Open()
    Total.Text = Labels.Label("total", 12.5)
    LineTrace "ledger " + Total.Text + " made " + Str(Labels.Made)
    Dim d As New Detail
    d.Show
    LineTrace "after detail made " + Str(Made)
    Quit
  End Handler
End Window

Window Detail
  Title = "Detail"
  Width = 240
  Height = 100
  Control Line1 As StaticText
    Left = 10
    Top = 10
    Width = 200
    Height = 20
  End Control
  Handler Open()
    Line1.Text = Label("tax", 1.25)
    LineTrace "detail " + Line1.Text + " made " + Str(Made)
  End Handler
End Window
