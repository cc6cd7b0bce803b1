' Quit from a window's Activate handler: the raise that ends the program
' passes through the platform's frames of the window activation on its way
' up, and must not take any of them for compiled code.
Project
  MainWindow = Main
End Project

Window Main
  Title = "Activate"
  Width = 200
  Height = 100
  Handler Activate()
    LineTrace "activated"
    Quit
    LineTrace "still running after Quit"
  End Handler
End Window
