' The application's Open event as the test body.
Class App Inherits Application
  Property Count As Integer
  Handler Open()
    Count = 41
    Bump
    LineTrace "Open " + Str(Count)
  End Handler
  Sub Bump()
    Count = Count + 1
  End Sub
End Class
