' Folder changes end to end: create (nested, enhanced or standard), the
' enhanced test, rename, delete, the server's refusals, the Ex forms on
' handle 0, and a reader who may look but not change.
Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False
ok = cx.ConnectOpen("docs", "jones", "CORP", "secret")
ok = cx.SetWorkspace("Sales")

Print "create:", cx.CreateFolder("Reports/Minutes", True), cx.CreateFolder("Archive/Old", False)
Print "enhanced:", cx.IsVersionFolder("Reports/Minutes"), cx.IsVersionFolder("Archive/Old"), cx.GetLastError
Print "missing parent:", cx.CreateFolder("No/Child", True), cx.GetLastError
Print "exists:", cx.CreateFolder("Reports", True), cx.GetLastError
Print "bad path:", cx.CreateFolder("a:b", True), cx.GetLastError
Print "not in tree:", cx.IsVersionFolder("a:b"), cx.GetLastError
Print "rename same:", cx.ChangeFolderName("Archive", "Archive")
Print "rename onto:", cx.ChangeFolderName("Archive", "Reports"), cx.GetLastError
Print "rename nested:", cx.ChangeFolderName("Reports/Minutes", "M"), cx.GetLastError
Print "rename:", cx.ChangeFolderName("Archive", "Old Archive"), cx.GetDocFolderInfo("Old Archive")
Print "delete:", cx.DeleteFolder("Reports/Minutes"), cx.DeleteFolder("Reports/Minutes"), cx.GetLastError

h = cx.ConnectOpenEx("docs", "jones", "CORP", "secret")
Print "ex before workspace:", cx.GetDocFolderInfoEx(h, ""), cx.GetLastErrorEx(h)
Print "ex:", cx.SetWorkspaceEx(h, "Sales"), cx.GetDocFolderInfoEx(h, ""), cx.CreateFolderEx(h, "Ex", True)
ok = cx.GetDocFolderEx(h, 0, folder, enhanced, readonly)
Print "ex row 0:", ok, folder, enhanced, readonly
Print "ex delete:", cx.DeleteFolderEx(h, "Ex"), cx.ChangeFolderNameEx(h, "Old Archive", "Archive")

Set reader = CreateObject("Linkora.ConnectOrvex")
reader.ShowDialog = False
ok = reader.ConnectOpen("docs", "guest", "", "guest")
Print "reader:", reader.SetWorkspace("Sales"), reader.GetDocFolderInfo("")
Print "reader create:", reader.CreateFolder("Mine", True), reader.GetLastError
Print "reader delete:", reader.DeleteFolder("Reports"), reader.GetLastError
