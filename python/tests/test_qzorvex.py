"""The Python module as a script author uses it."""
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
