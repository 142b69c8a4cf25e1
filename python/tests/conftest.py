"""Fixtures: a document server with the sample store, started for the tests.

ORVEX_DOCSTORE names the orvex-docstore program (CTest sets it to the one it
built); the server answers as host "docs", which is mapped to its address.
"""
import os
import re
import subprocess

import pytest

import qzorvex


@pytest.fixture(scope="session")
def docstore():
    program = os.environ.get("ORVEX_DOCSTORE", "orvex-docstore")
    server = subprocess.Popen([program, "--listen", "127.0.0.1:0"],
                              stdout=subprocess.PIPE, text=True)
    try:
        line = server.stdout.readline()
        match = re.match(r"listening on (\S+)", line)
        assert match, "orvex-docstore said %r" % line
        qzorvex.MapHost("docs", match.group(1))
        yield match.group(1)
    finally:
        server.terminate()
        server.wait(timeout=10)
        qzorvex.ClearHostMap()


@pytest.fixture
def docs(docstore):
    """A ConnectOrvex connected to the sample store as CORP\\jones, closed afterwards."""
    cx = qzorvex.CreateObject("Linkora.ConnectOrvex")
    cx.ShowDialog = False
    assert cx.ConnectOpen("docs", "jones", "CORP", "secret") is True
    yield cx
    cx.ConnectClose()
