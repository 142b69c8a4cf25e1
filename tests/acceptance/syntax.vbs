' A syntax error anywhere means nothing runs: status 2, no output.
' exit status: 2
Set cx = CreateObject("Linkora.ConnectOrvex")
Print "never printed"
cx.ConnectOpen("docs", "jones", "CORP", "secret")
