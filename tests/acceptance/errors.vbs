' Errors raised through the automation interface: handled ones land in Err,
' the first unhandled one stops the script with status 1.
' exit status: 1
Set cx = CreateObject("Linkora.ConnectOrvex")

On Error Resume Next
Set other = CreateObject("Linkora.NoSuchClass")
Print "unknown class:", Err.Number
Err.Clear
Set same = CreateObject("{6D71C2F7-F839-44F5-885B-62471AB4F885}")
Print "by class id:", Err.Number, same.ShowDialog
cx.NoSuchMember 1
Print "no such member:", Err.Number
Err.Clear
cx.OverWrite = 70000
Print "too big for 16 bits:", Err.Number, cx.OverWrite
Err.Clear
ok = cx.GetWorkspace(0)
Print "missing arguments:", Err.Number
On Error GoTo 0

Print "before"
ok = cx.GetWorkspaceEx(1, 0, name, description)
Print "never printed"
