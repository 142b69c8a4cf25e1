"""The Python module as a script author uses it."""
import os
import subprocess
import sys

import pytest

import qzorvex


def test_members_by_name_ignore_case_and_properties_read_and_write():
    cx = qzorvex.CreateObject("linkora.connectorvex")
    assert cx.ShowDialog is True and cx.OverWrite == 1 and cx.Author == ""
    cx.showdialog = False
    cx.OVERWRITE = 3
    cx.Author = "Jones"
    assert (cx.ShowDialog, cx.overwrite, cx.author) == (False, 3, "Jones")
    # A fresh object is not connected: the stored code 1 comes once.
    assert cx.GetLastError() == 1
    assert cx.getworkspaceinfo() == -1
    assert "ConnectOpen" in dir(cx) and "CheckSPPS" in dir(cx)
    record = qzorvex.CreateObject("Linkora.PropertyClass1")
    record.DictionaryValues = ["Draft", "Final"]
    record.DictionaryCount = 2
    assert record.dictionaryvalues == ["Draft", "Final"] and record.DictionaryCount == 2
    # An object is bound by reference, and only DictionaryValues takes one.
    inner = qzorvex.CreateObject("Linkora.PropertyClass1")
    record.DictionaryValues = inner
    inner.PropertyName = "Department"
    assert record.DictionaryValues.PropertyName == "Department"
    # Nothing unbinds it, by reference too; a null object reads as None.
    record.DictionaryValues = qzorvex.Nothing
    assert record.DictionaryValues is None
    with pytest.raises(qzorvex.AutomationError) as no_nothing:
        record.URI = qzorvex.Nothing
    assert no_nothing.value.number == 438
    with pytest.raises(qzorvex.AutomationError) as no_set:
        record.URI = inner
    assert no_set.value.number == 438
    assert repr(record) == "<qzorvex.Object Linkora.PropertyClass1>"


def test_automation_errors_carry_number_and_description():
    cx = qzorvex.CreateObject("Linkora.ConnectOrvex")
    with pytest.raises(qzorvex.AutomationError) as bad_handle:
        cx.GetWorkspaceInfoEx(1)
    assert bad_handle.value.number == 9
    assert bad_handle.value.description == "Subscript out of range"
    with pytest.raises(qzorvex.AutomationError) as no_class:
        qzorvex.CreateObject("No.Such")
    assert no_class.value.number == 429
    with pytest.raises(qzorvex.AutomationError) as too_many:
        cx.GetLastError(1)
    assert too_many.value.number == 450
    with pytest.raises(qzorvex.AutomationError) as mismatch:
        cx.OverWrite = "many"
    assert mismatch.value.number == 13
    # A name the object does not offer is error 438, and an AttributeError,
    # so hasattr and getattr with a default work as usual.
    with pytest.raises(qzorvex.MemberNotFoundError) as missing:
        cx.NoSuchMember()
    assert missing.value.number == 438 and isinstance(missing.value, AttributeError)
    assert not hasattr(cx, "NoSuchMember")
    with pytest.raises(qzorvex.AutomationError):
        cx.NoSuchProperty = 1


def test_connect_list_and_close_road(docs):
    count = docs.GetWorkspaceInfo()
    assert count >= 1
    # By-reference outputs come back after the result; they may be left out.
    workspaces = [docs.GetWorkspace(i) for i in range(count)]
    assert all(ok for ok, _, _ in workspaces)
    assert ("Sales" in [name for _, name, _ in workspaces])
    assert docs.GetWorkspace(count, "kept", "kept") == (False, "kept", "kept")
    assert docs.SetWorkspace("Sales") is True
    folders = [docs.GetDocFolder(i) for i in range(docs.GetDocFolderInfo(""))]
    names = {folder: (enhanced, read_only) for ok, folder, enhanced, read_only in folders if ok}
    assert "Reports" in names
    # The connection table works the same way with handle 0.
    assert docs.ConnectOpenEx("docs", "jones", "CORP", "wrong") == -1
    assert docs.GetLastErrorEx(0) != 0
    docs.ConnectClose()
    assert docs.GetWorkspaceInfo() == -1
    # The refused Ex open left its code (access denied) to be reported once.
    assert (docs.GetLastError(), docs.GetLastError()) == (1006, 1)


def test_dialogs_headless_with_a_scripted_user(docs):
    qzorvex.UseToolkit("headless")
    user = qzorvex.ScriptedUser()
    with pytest.raises(ValueError):
        user.Plan("ConnectDialog", "dance")
    user.Plan("ConnectDialog", "press OKButton")
    assert user.pending_plans == 1
    user.Install()
    try:
        # The progress window runs the connect from its timer and closes by
        # itself; showing it takes the plan written for it.
        cx = qzorvex.CreateObject("Linkora.ConnectOrvex")
        cx.ShowDialog = True
        assert cx.ConnectOpen("docs", "jones", "CORP", "secret") is True
        assert user.pending_plans == 0
        assert qzorvex.CurrentToolkitName() == "headless"
        cx.ConnectClose()
    finally:
        qzorvex.UninstallUser()


@pytest.mark.skipif("qt" not in qzorvex.ToolkitNames(), reason="built without Qt")
def test_dialogs_under_qt(docstore):
    qzorvex.UseToolkit("qt")
    try:
        cx = qzorvex.CreateObject("Linkora.ConnectOrvex")
        cx.ShowDialog = True
        assert cx.ConnectOpen("docs", "jones", "CORP", "secret") is True
        assert cx.GetWorkspaceInfo() >= 1
        cx.ConnectClose()
        assert qzorvex.CurrentToolkitName() == "qt"
    finally:
        qzorvex.UseToolkit("headless")


def test_typed_members_have_signatures_docstrings_and_a_matching_stub():
    import ast
    import inspect
    import pathlib

    sig = inspect.signature(qzorvex.ConnectOrvex.GetWorkspaceEx)
    assert list(sig.parameters) == ["self", "Handle", "Index", "Workspace", "Description"]
    assert sig.parameters["Workspace"].default is None  # outputs may be left out
    doc = qzorvex.ConnectOrvex.GetFileContentInfo.__doc__
    assert "Order: After GetFileInfo" in doc and "1000: Index is outside" in doc
    assert qzorvex.ConnectOrvex.OverWrite.__doc__.startswith("ConnectOrvex.OverWrite As Integer")
    assert doc == qzorvex.ConnectOrvex.GetFileContentInfoEx.__doc__

    # The stub declares exactly the members the classes have.
    stub = pathlib.Path(qzorvex.__file__).with_name("__init__.pyi")
    tree = ast.parse(stub.read_text())
    classes = {node.name: node for node in tree.body if isinstance(node, ast.ClassDef)}
    for cls in (qzorvex.ConnectOrvex, qzorvex.PropertyClass1):
        declared = set()
        for node in classes[cls.__name__].body:
            if isinstance(node, ast.FunctionDef):
                declared.add(node.name)
            elif isinstance(node, ast.AnnAssign):
                declared.add(node.target.id)
        runtime = {n for n in vars(cls) if not n.startswith("_")}
        runtime |= {n for n in vars(qzorvex._ConnectOrvexBase) if not n.startswith("_")} \
            if cls is qzorvex.ConnectOrvex else set()
        assert runtime - {"automation_object"} <= declared, runtime - declared
        assert declared - {"__enter__", "__exit__", "automation_object"} <= runtime


def test_error_words_keywords_and_the_raising_mode(docs):
    assert qzorvex.ErrorText(1007, 1033) != qzorvex.ErrorText(1007, 1041)
    assert qzorvex.ErrorText(4242).endswith("4242")
    # Keyword arguments, outputs left out.
    assert docs.SetWorkspace(Workspace="Sales") is True
    assert docs.GetDocFolderInfo(Folder="") > 0
    ok, name, version, read_only = docs.GetDocFolder(Index=0)
    assert ok and name
    with pytest.raises(TypeError):
        docs.GetDocFolder(Indx=0)
    # The plain mode answers the failure value and keeps the failure.
    assert docs.GetDocFolderInfo("No such") == -1
    failure = docs.last_failure()
    assert failure.member == "GetDocFolderInfo" and failure.code == docs.GetLastError()
    assert failure.text == qzorvex.ErrorText(failure.code) and "404" in failure.detail
    assert docs.last_failure(0) is None
    # The raising mode turns each code a call leaves into CallFailed, and
    # only those: a call that leaves no code does not raise again.
    raising = qzorvex.CreateObject("Linkora.ConnectOrvex", raise_on_failure=True)
    raising.ShowDialog = False
    with pytest.raises(qzorvex.CallFailed) as failed:
        raising.GetWorkspaceInfo()
    assert (failed.value.member, failed.value.code) == ("GetWorkspaceInfo", 1)
    with raising:
        raising.ConnectOpen("docs", "jones", "CORP", "secret")
        assert raising.GetWorkspaceInfo() > 0 and raising.GetWorkspace(0)[0] is True
        raising.SetWorkspace("Sales")
        with pytest.raises(qzorvex.CallFailed) as bad_name:
            raising.ChangeFolderName("", "x")
        assert bad_name.value.code == 5 and bad_name.value.detail == ""
        assert [n for n, _ in raising.workspaces()]
    assert raising.GetLastError() == 1  # closed by the with block
def test_host_settings_are_set_checked_and_read_from_files(tmp_path):
    qzorvex.SetHostSetting("Intranet", "connect-timeout", "5")
    qzorvex.MapHost("intranet", "https://dms.example.com:8443/")
    assert qzorvex.HostSetting("INTRANET", "connect-timeout") == "5"
    assert qzorvex.HostSetting("intranet", "url") == "https://dms.example.com:8443/"
    assert qzorvex.HostSetting("intranet", "proxy") is None
    with pytest.raises(ValueError, match="unknown key 'colour'"):
        qzorvex.SetHostSetting("intranet", "colour", "blue")
    with pytest.raises(ValueError, match="verify"):
        qzorvex.SetHostSetting("intranet", "verify", "maybe")
    good = tmp_path / "hosts.conf"
    good.write_text("[intranet]\nauth = digest\n")
    qzorvex.LoadHostSettings(str(good))
    assert qzorvex.HostSetting("intranet", "auth") == "digest"
    bad = tmp_path / "bad.conf"
    bad.write_text("[intranet]\nverify = no\nstall-timeout = soon\n")
    with pytest.raises(ValueError, match=r"bad\.conf:3: bad value 'soon'"):
        qzorvex.LoadHostSettings(str(bad))
    assert qzorvex.HostSetting("intranet", "verify") is None
    qzorvex.UnmapHost("intranet")
    assert qzorvex.HostSetting("intranet", "url") is None


def test_the_wire_trace_holds_every_exchange_and_no_password(docstore, tmp_path):
    trace = tmp_path / "wire.log"
    qzorvex.SetWireTrace(str(trace))
    cx = qzorvex.CreateObject("Linkora.ConnectOrvex")
    cx.ShowDialog = False
    try:
        assert cx.ConnectOpen("docs", "jones", "CORP", "secret") is True
        assert cx.SetWorkspace("Sales") is True
        cx.ConnectClose()
    finally:
        qzorvex.SetWireTrace("")
    text = trace.read_text()
    assert text.count("=== ") >= 2
    assert "> PROPFIND /Sales/ HTTP/1.1" in text
    assert "> Authorization: Basic ***" in text
    assert "secret" not in text
    with pytest.raises(ValueError):
        qzorvex.SetWireTrace(str(tmp_path / "no such folder" / "wire.log"))

    # QZORVEX_TRACE turns it on for a whole process.
    named = tmp_path / "named.log"
    script = ("import qzorvex\n"
              "qzorvex.MapHost('docs', %r)\n"
              "cx = qzorvex.CreateObject('Linkora.ConnectOrvex')\n"
              "cx.ShowDialog = False\n"
              "assert cx.ConnectOpen('docs', 'jones', 'CORP', 'wrong') is False\n" % docstore)
    subprocess.run([sys.executable, "-c", script], check=True,
                   env=dict(os.environ, QZORVEX_TRACE=str(named)))
    text = named.read_text()
    assert "= 401 in " in text
    assert "wrong" not in text


def test_an_upload_reports_its_progress_and_stops_when_told(docs, tmp_path):
    size = 6 << 20
    (tmp_path / "progress.bin").write_bytes(b"x" * size)
    assert docs.SetWorkspace("Sales") is True

    def listed():
        return "progress.bin" in [d.name for d in docs.documents("Reports")]

    def upload():
        return docs.SaveFile("Reports", tmp_path, "progress.bin")

    seen = []

    def raise_halfway(sent, total):
        seen.append((sent, total))
        if sent >= total // 2:
            raise ValueError("enough")

    # An exception raised in the callback stops the upload: the call fails
    # with its words in the detail, and the server keeps nothing.
    with qzorvex.upload_progress(raise_halfway):
        assert upload() is False
    failure = docs.last_failure()
    assert (failure.code, failure.number) == (1000, qzorvex.UPLOAD_CANCELLED)
    assert "ValueError: enough" in failure.detail
    assert size // 2 <= seen[-1][0] < size and {t for _, t in seen} == {size}
    assert not listed()
    # So does a False answer; None goes on to the last byte.
    with qzorvex.upload_progress(lambda sent, total: sent < total // 2):
        assert upload() is False
    assert docs.last_failure().number == qzorvex.UPLOAD_CANCELLED and not listed()
    seen.clear()
    with qzorvex.upload_progress(lambda sent, total: seen.append(sent)):
        assert upload() is True
    assert seen[-1] == size and seen == sorted(seen) and listed()
    # Outside the blocks no progress is installed any more.
    assert qzorvex.SetUploadProgress(None) is None
    with pytest.raises(TypeError):
        qzorvex.SetUploadProgress(42)
