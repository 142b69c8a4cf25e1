' Workspaces and document folders as CORP\jones sees them in the sample
' store: lists read through by-reference outputs, bounds, workspaces he may
' not enter, folders of a folder.
Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False
Print "open:", cx.ConnectOpen("docs", "jones", "CORP", "secret")

n = cx.GetWorkspaceInfo
For i = 0 To n - 1
  ok = cx.GetWorkspace(i, name, description)
Next
' Past the end: False, and the outputs keep their values.
ok = cx.GetWorkspace(n, name, description)
Print "past the end:", ok, name
' A parenthesised variable goes by value.
name = "unchanged"
ok = cx.GetWorkspace(0, (name), description)
Print "by value:", name, description

Print "Board:", cx.SetWorkspace("Board"), cx.GetLastError
Print "Nowhere:", cx.SetWorkspace("Nowhere"), cx.GetLastError
Print "Sales:", cx.SetWorkspace("Sales"), cx.GetLastError

n = cx.GetDocFolderInfo("")
For i = 0 To n - 1
  ok = cx.GetDocFolder(i, folder, enhanced, readonly)
Next
n = cx.GetDocFolderInfo("Reports")
For i = 0 To n - 1
  ok = cx.GetDocFolder(i, folder, enhanced, readonly)
Next
Print "Reports/2001 enhanced:", cx.IsVersionFolder("Reports/2001")
Print "Archive enhanced:", cx.IsVersionFolder("Archive")
Print "missing:", cx.GetDocFolderInfo("No/Such/Folder"), cx.GetLastError
cx.ConnectClose
