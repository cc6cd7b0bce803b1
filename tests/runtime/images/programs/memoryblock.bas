' Builds a binary record in a memory block (a 2-byte tag, a 4-byte count, a
' double, a colour, a flag, a padded name and a counted note), reads it back
' field by field, then writes past the end and catches the refusal.
Sub Main()
  Dim m As MemoryBlock = NewMemoryBlock(32)
  m.Short(0) = -2
  m.Long(2) = 100000
  m.Double(6) = 2.5
  m.Color(14) = &c102030
  m.Boolean(18) = True
  m.StringValue(19, 6) = "pile"
  m.PString(25) = "mud"
  LineTrace "size " + Str(m.Size) + " tag " + Str(m.Short(0)) + " " + Str(m.UShort(0))
  LineTrace "count " + Str(m.Long(2)) + " depth " + Str(m.Double(6)) + " colour " + Hex(m.Color(14))
  If m.Boolean(18) Then LineTrace "flag " + Str(m.Byte(18)) + " pad " + Str(m.Byte(24))
  LineTrace "name [" + m.CString(19) + "] note [" + m.PString(25) + "] " + Str(m.Byte(25))
  Try
    m.Long(29) = 1
    LineTrace "not reached"
  Catch e As OutOfBoundsException
    LineTrace "past the end caught, last byte " + Str(m.Byte(31))
  End Try
  Quit
End Sub
