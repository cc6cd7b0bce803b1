' Exceptions across routine frames: a nil object two routines down caught as
' a RuntimeException, an image exception class raised and caught by its
' class, and a Catch that does not match passing the exception outward.
Class Thing
  Property N As Integer
End Class

Class AppError Inherits RuntimeException
  Property Code As Integer
End Class

Sub Deepest()
  Dim t As Thing
  t.N = 1
  LineTrace "not reached"
End Sub

Sub Middle()
  Deepest()
  LineTrace "not reached either"
End Sub

Sub Fail(code As Integer)
  Dim e As New AppError
  e.Code = code
  Raise e
End Sub

Sub Inner()
  Try
    Fail(7)
  Catch wrong As NilObjectException
    LineTrace "wrong catch"
  End Try
  LineTrace "not reached after the inner Try"
End Sub

Sub Main()
  Try
    Middle()
  Catch any As RuntimeException
    If any IsA NilObjectException Then LineTrace "nil object caught two routines up"
  End Try
  Try
    Fail(3)
  Catch mine As AppError
    LineTrace "raised code " + Str(mine.Code)
  End Try
  Try
    Inner()
  Catch outer As AppError
    LineTrace "outer Try caught code " + Str(outer.Code)
  End Try
  LineTrace "done"
End Sub
