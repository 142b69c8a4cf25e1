' The typical road through QzOrvex, driven the way a script host drives it.
'
'   scripts/demo.sh                      (from anywhere: builds, installs, runs)
'   cd examples && orvex --embedded demo.vbs
'
' runs it against the sample store of the embedded docstore, which answers
' as server "docs"; it uploads quarterly-report.txt from the folder it runs
' in. Against a server of your own, map its name instead:
'   orvex --map-host docs=192.0.2.10:8080 demo.vbs
'
' A step that fails stops the demo with Err.Raise: the console reports the
' line, the library's error code and what failed, and exits with status 1.

Set cx = CreateObject("Linkora.ConnectOrvex")
cx.ShowDialog = False   ' connect directly, without the progress window

' 1. Connect as CORP\jones.
ok = cx.ConnectOpen("docs", "jones", "CORP", "secret")
If Not ok Then Err.Raise cx.GetLastError, "demo", "Cannot connect to docs as CORP\jones"
Print "Connect as CORP\jones:", ok, "(last error " & cx.GetLastError & ")"

' 2. A wrong password is refused. This attempt uses the connection table
'    (the Ex form), so the default connection above stays open.
handle = cx.ConnectOpenEx("docs", "jones", "CORP", "wrong")
Print "Connect with a wrong password: handle", handle, "error", cx.GetLastErrorEx(0)

' 3. The workspaces on the server.
n = cx.GetWorkspaceInfo
If n < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot list the workspaces"
Print n, "workspaces:"
For i = 0 To n - 1
  If Not cx.GetWorkspace(i, name, description) Then Err.Raise cx.GetLastError, "demo", "Cannot read workspace " & i
  Print "  " & name & " - " & description
Next

' 4. Pick a workspace and list its document folders.
If Not cx.SetWorkspace("Sales") Then Err.Raise cx.GetLastError, "demo", "Cannot open workspace Sales"
n = cx.GetDocFolderInfo("")
If n < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot list the folders of Sales"
Print "Folders in Sales:"
For i = 0 To n - 1
  If Not cx.GetDocFolder(i, folder, enhanced, readonly) Then Err.Raise cx.GetLastError, "demo", "Cannot read folder " & i
  kind = "standard"
  If enhanced Then kind = "enhanced"
  If readonly Then kind = kind & ", read-only"
  Print "  " & folder & " (" & kind & ")"
Next

' 5. Make a folder for the team's minutes, give it a better name, and
'    remove it again. A name with a colon is refused before anything is sent.
If Not cx.CreateFolder("Minutes", True) Then Err.Raise cx.GetLastError, "demo", "Cannot create Minutes"
Print "Created Minutes (enhanced):", cx.IsVersionFolder("Minutes")
If Not cx.CreateFolder("Bad:Name", True) Then Print "Bad:Name refused: error", cx.GetLastError
If Not cx.ChangeFolderName("Minutes", "Team Minutes") Then Err.Raise cx.GetLastError, "demo", "Cannot rename Minutes"
Print "Renamed Minutes to Team Minutes"
If Not cx.ChangeFolderName("Team Minutes", "Reports") Then Print "Renaming onto Reports refused: error", cx.GetLastError
If Not cx.DeleteFolder("Team Minutes") Then Err.Raise cx.GetLastError, "demo", "Cannot delete Team Minutes"
Print "Deleted Team Minutes; folders now:", cx.GetDocFolderInfo("")

' 6. The category tree of Sales, two levels deep. Every listing replaces the
'    list GetCategory reads, so the top level is listed again for each entry.
n = cx.GetCategoryInfo("")
If n < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot list the categories of Sales"
Print "Categories in Sales:"
For i = 0 To n - 1
  ok = cx.GetCategoryInfo("")
  If Not cx.GetCategory(i, category, description, readonly, haschild) Then Err.Raise cx.GetLastError, "demo", "Cannot read category " & i
  Print "  " & category & " - " & description
  If haschild Then
    m = cx.GetCategoryInfo(category)
    For j = 0 To m - 1
      If Not cx.GetCategory(j, child, description, readonly, haschild) Then Err.Raise cx.GetLastError, "demo", "Cannot read a category below " & category
      Print "    " & category & "/" & child
    Next
  End If
Next

' 7. A category for Germany below Europe, removed again. Levels are made one
'    at a time: a category below a missing one is refused.
If Not cx.CreateCategory("Europe/Germany") Then Err.Raise cx.GetLastError, "demo", "Cannot create Europe/Germany"
Print "Created Europe/Germany; below Europe now:", cx.GetCategoryInfo("Europe")
If Not cx.CreateCategory("Africa/Kenya") Then Print "Africa/Kenya refused: error", cx.GetLastError
If Not cx.DeleteCategory("Europe/Germany") Then Err.Raise cx.GetLastError, "demo", "Cannot delete Europe/Germany"
Print "Deleted Europe/Germany; below Europe now:", cx.GetCategoryInfo("Europe")

' 8. The version history of the sales forecast, oldest version first.
n = cx.GetHistoryInfo("Reports", "forecast.txt")
If n < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot read the history of Reports/forecast.txt"
Print "History of Reports/forecast.txt:", n, "versions"
For i = 0 To n - 1
  If Not cx.GetHistory(i, version, comment, created, domain, user) Then Err.Raise cx.GetLastError, "demo", "Cannot read version " & i
  Print "  " & version & " " & created & " " & domain & "\" & user & ": " & comment
Next

' 9. Document profiles: those of the workspace, those Reports offers with
'    its default, and the properties of the Memo profile.
n = cx.GetDocProfileInfo
If n < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot list the profiles of Sales"
Print n, "profiles in Sales:"
For i = 0 To n - 1
  If Not cx.GetDocProfile(i, title) Then Err.Raise cx.GetLastError, "demo", "Cannot read profile " & i
  Print "  " & title
Next
n = cx.GetProfileInfo("Reports")
If n < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot list the profiles of Reports"
Print "Reports offers", n, "profiles, by default", cx.GetDefaultProfile("Reports")
For i = 0 To n - 1
  If Not cx.GetProfile(i, title) Then Err.Raise cx.GetLastError, "demo", "Cannot read profile " & i & " of Reports"
  Print "  " & title
Next
n = cx.GetPropertyInfo("Memo")
If n < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot list the properties of Memo"
Print "Properties of Memo:"
For i = 0 To n - 1
  If Not cx.GetProperty(i, title, description, required, datatype, values, listkind) Then Err.Raise cx.GetLastError, "demo", "Cannot read property " & i
  text = "  " & title & " (" & datatype
  If required Then text = text & ", required"
  If values <> "" Then text = text & ", one of " & values
  Print text & ") - " & description
Next

' 10. Let the user choose. Here a scripted user stands in for the person
'     (Ui.Plan); without a plan the dialogs close as if cancelled.
Ui.Plan "WorkspaceDlgA", "click Legal; press OKButton"
If Not cx.WorkspaceDialogA() Then Err.Raise cx.GetLastError, "demo", "The workspace dialog chose nothing"
Print "Workspace chosen:", cx.SelectWorkspace
Ui.Plan "FolderDlgA", "click Sales/Reports/2001; press OKButton"
If Not cx.FolderDialogA() Then Err.Raise cx.GetLastError, "demo", "The folder dialog chose nothing"
Print "Folder chosen in Sales:", cx.SelectFolder
Ui.Plan "CategoryDlgA", "click Europe/France; press OKButton"
If Not cx.CategoryDialogA() Then Err.Raise cx.GetLastError, "demo", "The category dialog chose nothing"
Print "Category chosen in Sales:", cx.SelectCategory

' 11. Upload a report into the enhanced folder Reports: it is checked in
'     with a comment and published right after. The values come from the
'     object's properties (an empty Author means the log-on name).
cx.Title = "Quarterly report"
cx.Keywords = "sales,quarterly"
cx.AddCheckIn = True
cx.AddPublish = True
cx.CheckInComment = "First version"
ok = cx.SaveFile("Reports", ".", "quarterly-report.txt")
If Not ok Then Err.Raise cx.GetLastError, "demo", "Cannot upload quarterly-report.txt from the current folder (the demo runs in examples/)"
Print "Uploaded quarterly-report.txt:", ok, "status", cx.IsFileStatus("Reports", "quarterly-report.txt")
' OverWrite 1 (the default) never replaces an existing document.
If Not cx.SaveFile("Reports", ".", "quarterly-report.txt") Then Print "Uploading it again refused: error", cx.GetLastError

' 12. The documents of Reports with their read-only flag, their status (1
'     checked in, 2 checked out by someone else, 3 approved, 5 checked out by
'     you) and their values.
n = cx.GetFileInfo("Reports")
If n < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot list the documents of Reports"
Print "Documents in Reports:"
For i = 0 To n - 1
  If Not cx.GetFileData(i, file, readonly, status) Then Err.Raise cx.GetLastError, "demo", "Cannot read document " & i
  Print "  " & file & " (status " & status & ", read-only " & readonly & ")"
  m = cx.GetFileContentInfo(i, profile)
  If m < 0 Then Err.Raise cx.GetLastError, "demo", "Cannot read the values of " & file
  For j = 0 To m - 1
    If Not cx.GetFileContent(j, prop, multi, data) Then Err.Raise cx.GetLastError, "demo", "Cannot read value " & j & " of " & file
    If data <> "" Then Print "    " & prop & ": " & data
  Next
Next

' 13. Check the report out, and in again with a comment of its own.
If Not cx.CheckOut("Reports", "quarterly-report.txt") Then Err.Raise cx.GetLastError, "demo", "Cannot check out quarterly-report.txt"
Print "Checked out: status", cx.IsFileStatus("Reports", "quarterly-report.txt")
cx.CheckInComment = "Figures checked"
If Not cx.CheckIn("Reports", "quarterly-report.txt") Then Err.Raise cx.GetLastError, "demo", "Cannot check in quarterly-report.txt"
Print "Checked in: status", cx.IsFileStatus("Reports", "quarterly-report.txt")
If Not cx.CheckIn("Reports", "pricing.txt") Then Print "pricing.txt is CORP\smith's: check-in refused, error", cx.GetLastError

' 14. Give it a clearer name.
If Not cx.ChangeFileName("Reports", "quarterly-report.txt", "Q1 report.txt") Then Err.Raise cx.GetLastError, "demo", "Cannot rename quarterly-report.txt"
Print "Renamed to Q1 report.txt: status", cx.IsFileStatus("Reports", "Q1 report.txt")

' 15. A copy in the standard folder Archive (no check-in there), deleted again.
If Not cx.SaveFile("Archive", ".", "quarterly-report.txt") Then Err.Raise cx.GetLastError, "demo", "Cannot copy quarterly-report.txt to Archive"
Print "Copied to Archive: status", cx.IsFileStatus("Archive", "quarterly-report.txt")
If Not cx.DeleteFile("Archive", "quarterly-report.txt") Then Err.Raise cx.GetLastError, "demo", "Cannot delete the copy in Archive"
Print "Deleted the copy: status", cx.IsFileStatus("Archive", "quarterly-report.txt")

' 16. Done.
cx.ConnectClose
Print "Closed."
