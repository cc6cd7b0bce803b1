' Printing: a short report printed through the system's print dialog. The
' first page is drawn in code (a heading, a frame and a bar chart of the
' readings below it); the notes in the edit field, styled as they are shown,
' follow on the next page, laid out block by block until they end. Page
' Setup... chooses the paper and its orientation for the next print, and
' the settings are kept as text beside the program between runs.
Project
  ApplicationName = "Printing"
  MainWindow = PrintWindow
End Project

Window PrintWindow
  Title = "Printing"
  Width = 440
  Height = 330

  Control Notes As EditField
    Left = 12
    Top = 12
    Width = 416
    Height = 230
    MultiLine = True
    Styled = True
    TextSize = 12
    Text = "Site notes" + Chr(13) + "Borehole 1: stiff clay from 0.6 m, water at 2.1 m." + Chr(13) + "Borehole 2: loose sand to 1.2 m, then gravel." + Chr(13) + "Plate load test at 1.0 m: 180 kN/m2 at 10 mm settlement." + Chr(13) + "Recommended: strip footing at 1.0 m on the clay."
  End Control
  Control SetupButton As PushButton
    Left = 12
    Top = 254
    Width = 110
    Height = 24
    Caption = "Page Setup..."
  End Control
  Control PrintButton As PushButton
    Left = 130
    Top = 254
    Width = 90
    Height = 24
    Caption = "Print..."
  End Control
  Control StatusText As StaticText
    Left = 12
    Top = 290
    Width = 416
    Height = 18
    Text = "Ready to print."
  End Control

  Property Setup As PrinterSetup

  Handler Open()
    Setup = New PrinterSetup
    Dim kept As FolderItem = GetFolderItem("printsetup.txt")
    If kept.Exists Then
      Dim t As TextInputStream = kept.OpenAsTextFile
      Setup.SetupString = t.ReadLine
      t.Close
    End If
    Notes.Alignment = 1
    Notes.SelStart = 0
    Notes.SelLength = 10
    Notes.SelBold = True
    Notes.SelTextSize = 16
    Notes.SelStart = 0
    Notes.SelLength = 0
  End Handler

  Handler SetupButton.Action()
    If Not Setup.PageSetupDialog Then
      StatusText.Text = "Page setup cancelled."
      Return
    End If
    Dim t As TextOutputStream = GetFolderItem("printsetup.txt").CreateTextFile
    t.WriteLine Setup.SetupString
    t.Close
    If Setup.Landscape Then
      StatusText.Text = "Page set up: landscape."
    Else
      StatusText.Text = "Page set up: portrait."
    End If
  End Handler

  ' The readings as bars below a heading, inside a frame.
  Sub DrawCover(g As Graphics)
    g.ForeColor = &c000000
    g.PenWidth = 2
    g.PenHeight = 2
    g.DrawRect 36, 36, g.Width - 72, g.Height - 72
    g.TextSize = 20
    g.Bold = True
    g.DrawString "Bearing capacity report", 72, 72 + g.TextAscent
    g.TextSize = 11
    g.Bold = False
    g.DrawString "Allowable bearing stress by borehole (kN/m2)", 72, 110 + g.TextAscent
    Dim readings(3) As Integer
    readings(1) = 180
    readings(2) = 120
    readings(3) = 150
    For i As Integer = 1 To 3
      g.ForeColor = RGB(40 * i, 90, 200 - 40 * i)
      g.FillRect 72 + (i - 1) * 90, 340 - readings(i), 60, readings(i)
      g.ForeColor = &c000000
      g.DrawString "BH" + Str(i) + ": " + Str(readings(i)), 72 + (i - 1) * 90, 360
    Next
    g.DrawLine 60, 340, 350, 340
  End Sub

  Function Plural(count As Integer, one As String, many As String) As String
    If count = 1 Then Return one
    Return many
  End Function

  Handler PrintButton.Action()
    Dim g As Graphics = OpenPrinterDialog(Setup)
    If g = Nil Then
      StatusText.Text = "Printing cancelled."
      Return
    End If
    Dim copies As Integer = g.Copies
    DrawCover g
    Dim pages As Integer = 1
    Dim notesPrinter As StyledTextPrinter = Notes.StyledTextPrinter(g, g.Width - 144)
    While Not notesPrinter.EOF
      g.NextPage
      pages = pages + 1
      notesPrinter.DrawBlock 72, 72, g.Height - 144
    Wend
    g = Nil
    StatusText.Text = "Printed " + Str(pages) + " pages, " + Str(copies) + Plural(copies, " copy.", " copies.")
  End Handler
End Window
