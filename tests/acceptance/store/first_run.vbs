' First of two runs on one store kept on disk (--store): a new folder.
Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False
ok = cx.ConnectOpen("docs", "smith", "CORP", "secret")
ok = cx.SetWorkspace("Sales")
enhanced = True
ok = cx.CreateFolder("Minutes", enhanced)
Print "created:", ok, cx.GetLastError
cx.ConnectClose
