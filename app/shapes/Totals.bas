' The totals window: how many shapes of each kind the board holds, from the
' Counts object the gallery keeps, and their whole area. Rectangles are
' counted with the squares among them, since a square is a rectangle.
Window TotalsWindow
  Title = "Totals"
  Left = 660
  Top = 40
  Width = 300
  Height = 210

  Control CountsText As StaticText
    Left = 16
    Top = 14
    Width = 268
    Height = 110
    MultiLine = True
    Text = ""
  End Control
  Control AreaText As StaticText
    Left = 16
    Top = 132
    Width = 268
    Height = 18
    Text = ""
  End Control
  Control CloseButton As PushButton
    Left = 204
    Top = 170
    Width = 80
    Height = 24
    Caption = "Close"
  End Control

  ' Filled each time the window comes to the front, so that it is never
  ' behind the board.
  Handler Activate()
    Fill
  End Handler

  Function Line(kind As String) As String
    Return kind + ": " + Str(CountOf(kind)) + Chr(13)
  End Function

  Sub Fill()
    Dim rectangles As Integer
    For i As Integer = 0 To UBound(Items)
      If Items(i) IsA Rect Then rectangles = rectangles + 1
    Next
    CountsText.Text = Line("Circle") + Line("Rectangle") + Line("Square") + Line("Triangle") + "Four-sided: " + Str(rectangles) + Chr(13) + "Added since start: " + Str(Added)
    AreaText.Text = "Total area: " + Rounded(TotalArea())
  End Sub

  Handler CloseButton.Action()
    Close
  End Handler
End Window
