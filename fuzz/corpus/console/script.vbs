Set cx = CreateObject("Linkora.ConnectOrvex")
Dim ok, n
ok = cx.ConnectOpen("docs", "jones", "CORP", "secret")
If ok Then Print "open" Else Print "closed"
On Error Resume Next
For i = 1 To 3 Step 1
  If i = 2 Then
    Call cx.GetWorkspace(i, "a" & "b", "")
  ElseIf Not (i <> 3) And True Then
    ? -i + 2 * 3, "x""y", Null, Empty
  End If
Next i
Set cx = Nothing
