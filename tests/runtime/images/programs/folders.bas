' Builds a small tree of folders and text files in the temporary folder, walks
' it with Count and Item adding up files and bytes, copies it, checks a
' refused rename and the dates, then removes everything it made.
Function Walk(f As FolderItem, depth As Integer) As Integer
  Dim total As Integer = 0
  Dim n As Integer = f.Count
  For i As Integer = 1 To n
    Dim entry As FolderItem = f.Item(i)
    If entry.Directory Then
      total = total + Walk(entry, depth + 1)
    Else
      total = total + entry.Length
    End If
  Next
  Return total
End Function

Sub Remove(f As FolderItem)
  If f.Directory Then
    While f.Count > 0
      Remove(f.Item(1))
    Wend
  End If
  f.Delete
End Sub

Sub Note(folder As FolderItem, name As String, text As String)
  Dim out As TextOutputStream = folder.Child(name).CreateTextFile
  out.Write(text)
  out.Close
End Sub

Sub Main()
  Dim root As FolderItem = SpecialFolder.Temporary.Child("walk" + Str(Ticks))
  root.CreateAsFolder
  Dim inner As FolderItem = root.Child("inner")
  inner.CreateAsFolder
  inner.Child("deeper").CreateAsFolder
  Note(root, "top.txt", "12345")
  Note(inner, "mid.txt", "abc")
  Note(inner.Child("deeper"), "low.txt", "xy")
  LineTrace "walk " + Str(Walk(root, 0)) + " bytes in " + Str(root.Count) + " entries"

  Dim copy As FolderItem = root.Parent.Child(root.Name + "copy")
  root.CopyFileTo(copy)
  LineTrace "copy " + Str(Walk(copy, 0)) + " bytes"
  root.CopyFileTo(inner)
  If Not inner.Child(root.Name).Exists Then LineTrace "not copied into itself"

  Dim top As FolderItem = root.Child("top.txt")
  top.Name = "..\escape.txt"
  If top.Exists And top.LastErrorCode <> 0 Then LineTrace "rename refused: " + top.Name
  top.Name = "renamed.txt"
  LineTrace "renamed " + top.Name + " " + Str(top.Length)
  If top.ModificationDate.Year >= 2020 Then LineTrace "dated"
  If root.Child("missing.txt").ModificationDate = Nil Then LineTrace "missing has no date"
  If Not root.Child("*.txt").Exists Then LineTrace "no wildcards"

  Dim input As TextInputStream = inner.Child("mid.txt").OpenAsTextFile
  LineTrace "read " + input.ReadLine
  input.Close
  Remove(copy)
  Remove(root)
  If Not root.Exists And Not copy.Exists Then LineTrace "removed"
  Quit
End Sub
