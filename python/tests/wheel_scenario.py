"""Run by the Python of a venv the wheel was installed into (wheel_check.py).

An upload, a listing through the iterators, a failure raised with its words,
a second thread that runs while a slow server keeps a call waiting, and Qt
loaded only when a dialog can use it.
"""
import os
import pathlib
import re
import subprocess
import sys
import threading

import qzorvex


def qt_loaded():
    with open("/proc/self/maps") as maps:
        return "libQt6Widgets" in maps.read()


def start(command):
    server = subprocess.Popen(command, stdout=subprocess.PIPE, stdin=subprocess.PIPE, text=True)
    line = server.stdout.readline()
    match = re.match(r"listening on (\S+)", line)
    assert match, "server said %r" % line
    return server, match.group(1)


# A server that accepts, reads the request and answers 401 only when told
# to on its standard input (or after a minute, so a blocked client fails
# instead of hanging).
SLOW_SERVER = r"""
import select, socket, sys
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(1)
print("listening on 127.0.0.1:%d" % s.getsockname()[1], flush=True)
c, _ = s.accept()
c.recv(65536)
told = select.select([sys.stdin], [], [], 60)[0]
c.sendall(b"HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
c.close()
print("told" if told else "deadline", flush=True)
"""


def main(tmp):
    assert not qt_loaded(), "import qzorvex loaded Qt"
    assert pathlib.Path(qzorvex.__file__).with_name("py.typed").exists()
    assert pathlib.Path(qzorvex.__file__).with_name("__init__.pyi").exists()

    docstore, address = start([os.environ["ORVEX_DOCSTORE"], "--listen", "127.0.0.1:0"])
    try:
        qzorvex.MapHost("docs", address)
        local = pathlib.Path(tmp) / "upload"
        local.mkdir()
        (local / "wheel-note.txt").write_text("from the wheel\n")
        with qzorvex.CreateObject("Linkora.ConnectOrvex", raise_on_failure=True) as docs:
            docs.ShowDialog = False
            assert docs.ConnectOpen(HostName="docs", UserName="jones", Domain="CORP",
                                    Password="secret")
            assert "Sales" in [name for name, _ in docs.workspaces()]
            docs.SetWorkspace("Sales")
            assert "Documents" in [name for name, _, _ in docs.folders()]
            # A pathlib.Path where the interface takes a folder name.
            docs.Title = "Wheel note"
            assert docs.SaveFile("Documents", local, "wheel-note.txt")
            listed = {d.name: d for d in docs.documents("Documents")}
            assert "wheel-note.txt" in listed, listed
            assert listed["wheel-note.txt"].status in range(0, 6), listed
            # A failure, raised with its code, words and the server's account.
            try:
                docs.GetFileInfo("No such folder")
                raise AssertionError("no exception")
            except qzorvex.CallFailed as failed:
                assert failed.member == "GetFileInfo" and failed.code == docs.GetLastError()
                assert failed.text == qzorvex.ErrorText(failed.code)
                assert "404" in failed.detail, failed.detail
                assert str(failed).startswith("GetFileInfo failed: error %d" % failed.code)
        # Leaving the block closed the connection: not connected (1).
        try:
            docs.GetWorkspaceInfo()
            raise AssertionError("no exception")
        except qzorvex.CallFailed as closed:
            assert closed.code == 1, closed
    finally:
        docstore.terminate()
        docstore.wait(timeout=10)

    # While ConnectOpen waits for the slow server, another thread runs: it is
    # the one that tells the server to answer.
    slow, address = start([sys.executable, "-c", SLOW_SERVER])
    try:
        qzorvex.MapHost("slow", address)
        steps = []

        def other():
            while len(steps) < 200:
                steps.append(1)
            slow.stdin.write("answer\n")
            slow.stdin.flush()

        cx = qzorvex.CreateObject("Linkora.ConnectOrvex", raise_on_failure=True)
        cx.ShowDialog = False
        runner = threading.Timer(0.2, other)
        runner.start()
        try:
            cx.ConnectOpen("slow", "jones", "CORP", "secret")
            raise AssertionError("no exception")
        except qzorvex.CallFailed as failed:
            assert failed.code == 1006 and "401" in failed.detail, failed
        runner.join()
        # The server answered because the other thread told it to, not at its deadline.
        assert slow.stdout.readline().strip() == "told"
    finally:
        slow.kill()
        slow.wait(timeout=10)

    assert not qt_loaded(), "Qt loaded without a dialog"
    assert "qt" in qzorvex.ToolkitNames()
    assert qt_loaded()
    print("wheel scenario passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
