' The selection dialogs from the console with a scripted person: choosing,
' creating and deleting folders, choosing a workspace, and choosing across
' workspaces when one of them (Board) is closed to this user. Ends with the
' example of console-ui.md as it is written there.
Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False
ok = cx.ConnectOpen("docs", "jones", "CORP", "secret")
ok = cx.SetWorkspace("Sales")

Ui.Plan "FolderDlgA", "click Sales/Reports/2001; press OKButton"
Print "chosen:", cx.FolderDialogA(), cx.SelectFolder
Ui.Plan "FolderDlgA", "click Sales/Reports; press CreateButton; press CancelButton"
Ui.Plan "DocFolderDlgA", "type FolderName Minutes; key FolderName enter"
Print "created, then cancelled:", cx.FolderDialogA(), cx.GetDocFolderInfo("Reports"), cx.SelectFolder
Ui.Plan "FolderDlgA", "click Sales/Reports/Minutes; answer yes; press DeleteButton; press CancelButton"
Print "deleted:", cx.FolderDialogA(), cx.GetDocFolderInfo("Reports")

Ui.Plan "WorkspaceDlgA", "click Legal; press OKButton"
Print "workspace:", cx.WorkspaceDialogA(), cx.SelectWorkspace
Ui.Plan "FolderDlgB", "click Legal/Contracts; press OKButton"
Print "across:", cx.FolderDialogB(), cx.SelectWorkspace, cx.SelectFolder, cx.GetLastError
Print "still in Sales:", cx.GetDocFolderInfo("")
cx.ConnectClose

Set o = CreateObject("Linkora.ConnectOrvex")
o.ConnectOpen "docs", "jones", "CORP", "secret"
o.SetWorkspace "Sales"
Ui.Plan "FolderDlgA", "click Sales/Reports/2001; press OKButton"
Print o.FolderDialogA(), o.SelectFolder
Ui.Plan "FolderDlgA", "click Sales/Archive; press DeleteButton; press CancelButton"
Ui.Answer "yes"
Print o.FolderDialogA(), o.GetDocFolderInfo("")
