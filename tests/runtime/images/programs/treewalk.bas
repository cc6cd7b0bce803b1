' A directory tree walk: makes a small tree of folders, walks it depth first
' through Count and Item, and traces every path found, sorted, with the
' number of folders at each depth.
Sub Walk(folder As FolderItem, prefix As String, depth As Integer, paths() As String, perDepth() As Integer)
  For i As Integer = 1 To folder.Count
    Dim child As FolderItem = folder.Item(i)
    Dim path As String = prefix + "/" + child.Name
    paths.Append path
    perDepth(depth) = perDepth(depth) + 1
    If child.Directory Then Walk(child, path, depth + 1, paths, perDepth)
  Next
End Sub

Sub Main()
  Dim root As FolderItem = GetFolderItem("walked")
  root.CreateAsFolder
  root.Child("alpha").CreateAsFolder
  root.Child("alpha").Child("inner").CreateAsFolder
  root.Child("alpha").Child("inner").Child("deepest").CreateAsFolder
  root.Child("beta").CreateAsFolder
  root.Child("beta").Child("leaf").CreateAsFolder
  Dim paths() As String
  Dim perDepth(3) As Integer
  Walk(root, "walked", 0, paths, perDepth)
  paths.Sort
  Dim line As String
  For k As Integer = 0 To UBound(paths)
    line = line + paths(k) + " "
  Next
  LineTrace line
  LineTrace "per depth " + Str(perDepth(0)) + " " + Str(perDepth(1)) + " " + Str(perDepth(2))
  If root.Child("nowhere").Exists Then LineTrace "missing found" Else LineTrace "missing absent"
  If root.Item(0) = Nil And root.Item(root.Count + 1) = Nil Then LineTrace "outside the listing nil"
  Quit
End Sub
