' Connecting and closing through the real library and the sample store:
' initial state, a bad host name, good and bad credentials, a second open,
' the connection table and its handle rule.
Set cx = CreateObject("Linkora.ConnectOrvex")
Print cx.ShowDialog, cx.OverWrite, cx.Author
Print "fresh:", cx.GetLastError, cx.GetLastError
cx.ShowDialog = False

ok = cx.ConnectOpen("do/cs", "jones", "CORP", "secret")
Print "bad host:", ok, cx.GetLastError, cx.GetLastError

ok = cx.ConnectOpen("docs", "jones", "CORP", "wrong")
Print "bad password:", ok, cx.GetLastError

ok = cx.ConnectOpen("docs", "jones", "CORP", "secret")
Print "good:", ok, cx.GetLastError
ok = cx.ConnectOpen("docs", "smith", "CORP", "secret")
Print "again:", ok, cx.GetLastError

h = cx.ConnectOpenEx("docs", "guest", "", "guest")
Print "ex:", h, cx.GetLastErrorEx(h)
Print "close ex:", cx.ConnectCloseEx(0), cx.ConnectCloseEx(0)

On Error Resume Next
n = cx.GetWorkspaceInfoEx(1)
Print "handle 1:", Err.Number, Err.Description, n
On Error GoTo 0
Print "GetLastErrorEx(5):", cx.GetLastErrorEx(5)

cx.ConnectClose
Print "after close:", cx.GetWorkspaceInfo, cx.GetLastError
