' The calculator's project: its settings, its menu bar and the plug-in
' library it carries (the Separator control; added by the build, which knows
' where the library was made).
Project
  ApplicationName = "Morvint Project"
  CharacterSet = 13
  MainWindow = MainWindow
  FileType "text", "R*ch", "TEXT", ""
  UnhandledException = "クラス%1の例外は取り扱われませんでした。" + Chr(13) + "アプリケーションを終了します。"
End Project

MenuBar
  AppMenu
    Item AppleAboutMenuItem "About..."
    Placeholder
  End AppMenu
  Menu "ファイル"
    Item FileQuit "終了" Key "Q" As QuitMenuItem
    Placeholder
  End Menu
  Menu "編集"
    Item EditUndo "取り消し" Key "Z"
    Separator
    Item EditCut "カット" Key "X"
    Item EditCopy "コピー" Key "C"
    Item EditPaste "ペースト" Key "V"
    Item EditClear "クリア"
    Placeholder
  End Menu
  Menu "その他"
    Item About "このプログラムについて..."
    Placeholder
    Item AppleAboutMenuItem "About..."
    Placeholder
  End Menu
  Placeholder
End MenuBar
