' Category folders end to end: the sample store's tree, nested creation,
' renaming at the top level only, deleting with the subtree, the Ex forms on
' handle 0, and a reader who may look but not change.
Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False
Print "not connected:", cx.GetCategoryInfo(""), cx.GetCategoryInfoEx(0, ""), cx.GetLastErrorEx(0)
ok = cx.ConnectOpen("docs", "jones", "CORP", "secret")
Print "no workspace:", cx.GetCategoryInfo(""), cx.GetLastError
ok = cx.SetWorkspace("Sales")

n = cx.GetCategoryInfo("")
Print "top level:", n
For i = 0 To n - 1
  ok = cx.GetCategory(i, name, description, readonly, haschild)
  Print "  " & name & " - " & description, readonly, haschild
Next
name = "unchanged"
Print "past the end:", cx.GetCategory(n, name, description, readonly, haschild), name
Print "below:", cx.GetCategoryInfo("Europe"), cx.GetCategoryInfo("Europe/France"), cx.GetCategoryInfo("Asia")

Print "create:", cx.CreateCategory("Asia/Japan"), cx.CreateCategory("Asia/Japan/Tokyo"), cx.GetCategoryInfo("Asia/Japan")
Print "missing parent:", cx.CreateCategory("Mars/Base"), cx.GetLastError
Print "exists:", cx.CreateCategory("Asia"), cx.GetLastError
Print "bad path:", cx.CreateCategory("Asia:Japan"), cx.GetLastError
Print "rename nested:", cx.ChangeCategoryName("Europe/France", "Gaul"), cx.GetLastError
Print "rename same:", cx.ChangeCategoryName("Asia", "Asia"), cx.GetLastError
Print "rename missing:", cx.ChangeCategoryName("Mars", "Mars"), cx.GetLastError
Print "rename onto:", cx.ChangeCategoryName("Asia", "Europe"), cx.GetLastError
Print "rename:", cx.ChangeCategoryName("Asia", "Orient"), cx.GetCategoryInfo("Orient/Japan")
Print "delete:", cx.DeleteCategory("Orient/Japan"), cx.GetCategoryInfo("Orient")
Print "delete again:", cx.DeleteCategory("Orient/Japan"), cx.GetLastError
Print "list missing:", cx.GetCategoryInfo("Mars"), cx.GetLastError, cx.GetCategory(0, name, description, readonly, haschild)

h = cx.ConnectOpenEx("docs", "jones", "CORP", "secret")
Print "ex:", cx.SetWorkspaceEx(h, "Sales"), cx.CreateCategoryEx(h, "Europe/Spain"), cx.GetCategoryInfoEx(h, "Europe")
ok = cx.GetCategoryEx(h, 1, name, description, readonly, haschild)
Print "ex row 1:", ok, name, readonly, haschild
Print "ex changes:", cx.ChangeCategoryNameEx(h, "Orient", "Asia"), cx.DeleteCategoryEx(h, "Europe/Spain"), cx.GetCategoryInfoEx(h, "")

Set reader = CreateObject("Linkora.ConnectOrvex")
reader.ShowDialog = False
ok = reader.ConnectOpen("docs", "guest", "", "guest")
ok = reader.SetWorkspace("Sales")
Print "reader:", reader.GetCategoryInfo("Europe")
ok = reader.GetCategory(0, name, description, readonly, haschild)
Print "reader row 0:", name, readonly, haschild
Print "reader create:", reader.CreateCategory("Mine"), reader.GetLastError
Print "reader delete:", reader.DeleteCategory("Europe"), reader.GetLastError
Print "reader rename:", reader.ChangeCategoryName("Europe", "EU"), reader.GetLastError
cx.ConnectClose
Print "closed:", cx.ChangeCategoryName("Europe", "EU"), cx.GetLastError
