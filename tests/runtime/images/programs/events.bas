' Events of image classes: RaiseEvent runs the nearest handler below the
' declaring class, passes its arguments and returns its result; with no
' handler it does nothing and gives the zero value. A ByRef argument is the
' caller's variable, which the handler may change.
Class Counter
  Property Total As Integer
  Event Changed(value As Integer, why As String) As Boolean
  Event Reset()
  Event Limit(ByRef most As Integer)
  Sub Add(n As Integer)
    Total = Total + n
    If RaiseEvent Changed(Total, "add") Then
      Total = 0
      RaiseEvent Reset
    End If
  End Sub
  Function Capped(n As Integer) As Integer
    Dim most As Integer = n
    RaiseEvent Limit(most)
    Return most
  End Function
End Class

Class Watched Inherits Counter
  Handler Changed(value As Integer, why As String) As Boolean
    LineTrace why + " gives " + Str(value)
    Return value > 5
  End Handler
  Handler Limit(ByRef most As Integer)
    If most > 5 Then most = 5
  End Handler
End Class

Class Resettable Inherits Watched
  Handler Reset()
    LineTrace "reset"
  End Handler
End Class

Sub Main()
  Dim plain As New Counter
  plain.Add(3)
  LineTrace "plain " + Str(plain.Total)
  Dim w As Counter = New Resettable
  w.Add(4)
  w.Add(3)
  LineTrace "watched " + Str(w.Total)
  LineTrace "capped " + Str(plain.Capped(9)) + " " + Str(w.Capped(9)) + " " + Str(w.Capped(2))
End Sub
