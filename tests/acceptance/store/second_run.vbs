' Second run on the same store: the folder of the first run is still there.
Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False
ok = cx.ConnectOpen("docs", "smith", "CORP", "secret")
ok = cx.SetWorkspace("Sales")
n = cx.GetDocFolderInfo("")
For i = 0 To n - 1
  ok = cx.GetDocFolder(i, folder, enhanced, readonly)
  If folder = "Minutes" Then Print "found:", folder, enhanced
Next
enhanced = True
Print "created again:", cx.CreateFolder("Minutes", enhanced), cx.GetLastError
cx.ConnectClose
