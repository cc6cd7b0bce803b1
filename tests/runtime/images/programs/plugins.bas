' The kpdecl plug-in used by name (its Plugin line comes from the test):
' a plug-in class created with New, its properties of every kind read and
' assigned, its methods called with String, ByRef and assignment forms, a
' subclass reaching inherited members, the global methods, and a dial
' control on a window whose Turn method raises the Turned event handled here.
Sub Main()
  Dim c As New KPCounter
  c.Count = 4
  c.Label = "apples"
  c.Ratio = 2.5
  c.Ready = True
  LineTrace "count " + Str(c.Count) + " label " + c.Label + " ratio " + Str(c.Ratio) + " total " + Str(c.Total)
  If c.Ready Then LineTrace "ready"
  Dim sum As Integer = c.Add(3)
  LineTrace "add " + Str(sum) + " " + c.Describe("now")
  Dim n As Integer
  c.Fill n
  c.Slot(2) = 42
  LineTrace "filled " + Str(n) + " slot " + Str(c.Slot(2)) + " " + Str(c.Slot(9))
  Dim t As New KPTally
  t.Count = 5
  t.Bonus = 1
  LineTrace "tally " + Str(t.Doubled()) + " " + t.Describe("t")
  If t IsA KPCounter Then LineTrace "a tally is a counter"
  LineTrace "twice " + Str(Twice(21)) + " " + Greet("plug-in")
  Dials.Show
  Dials.Close
End Sub

Window Dials
  Title = "Dials"
  Width = 200
  Height = 100
  Control D As KPDial
    Left = 10
    Top = 10
    Level = 3
  End Control
  Handler Open()
    D.Turn 4
    LineTrace "dial level " + Str(D.Level)
  End Handler
  Handler D.Turned(level As Integer)
    LineTrace "turned to " + Str(level)
  End Handler
End Window
