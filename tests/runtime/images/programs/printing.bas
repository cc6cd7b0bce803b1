' Prints a page through a setup of its own (landscape, 144 units per inch)
' whose settings are kept as text and read back into a second setup, where
' a damaged text changes nothing; then a two-page document on the default
' printer, the last job the printer's file holds. What happened goes to the
' trace.
Sub Main()
  Dim s As New PrinterSetup
  Dim portrait As Integer = s.PageWidth
  s.Landscape = True
  s.HorizontalResolution = 144
  s.VerticalResolution = 144
  If s.PageWidth > s.PageHeight Then LineTrace "landscape"
  If s.PageHeight > portrait * 2 - 3 And s.PageHeight < portrait * 2 + 3 Then LineTrace "144 per inch"
  Dim g As Graphics = OpenPrinter(s)
  If g = Nil Then
    LineTrace "no printer"
    Quit
  End If
  If g.Width = s.PageWidth Then LineTrace "graphics " + Str(s.HorizontalResolution)
  g.DrawOval 0, 0, g.Width, g.Height
  g = Nil

  Dim kept As String = s.SetupString
  Dim again As New PrinterSetup
  again.SetupString = kept
  If again.SetupString = kept And again.Landscape Then LineTrace "kept " + Str(again.VerticalResolution)
  again.SetupString = "PrinterSetup 1;printer=;landscape=0" + Mid(kept, 36)
  If again.SetupString = kept Then LineTrace "damaged text refused"

  g = OpenPrinter
  LineTrace "job " + Str(g.Copies) + " " + Str(g.FirstPage) + " " + Str(g.LastPage)
  g.TextSize = 18
  g.DrawString "Page one", 72, 72
  g.NextPage
  g.DrawRect 72, 72, g.Width - 144, 200
  g = Nil
  Quit
End Sub
