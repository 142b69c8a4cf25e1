"""Writes the type stub of the qzorvex package from its member tables.

Run with the built package on sys.path:  python3 make_stub.py OUT.pyi
The member parts (signatures and docstrings) come from the library's member
table and reference text, as the package's typed classes do.
"""
import inspect
import os
import sys
import textwrap

# The built package, not the sources beside this script.
sys.path = [p for p in sys.path if os.path.abspath(p or ".") != os.path.dirname(os.path.abspath(__file__))]

import qzorvex  # noqa: E402
from qzorvex import _qzorvex  # noqa: E402

HEADER = '''"""QzOrvex: the document store client's automation objects (type stub)."""
from typing import Any, Callable, ContextManager, Iterator, NamedTuple, Optional
from dataclasses import dataclass

__version__: str
CONNECT_ORVEX: str
PROPERTY_CLASS1: str

class AutomationError(Exception):
    number: int
    description: str
    def __init__(self, number: int, description: str) -> None: ...

class MemberNotFoundError(AutomationError, AttributeError): ...

class Object:
    prog_id: str
    def last_failure(self, ex: bool = ...) -> Optional[tuple]: ...
    def __getattr__(self, name: str) -> Any: ...

class Method:
    def __call__(self, *args: Any) -> Any: ...

class NothingType: ...
Nothing: NothingType

class ScriptedUser:
    pending_plans: int
    pending_answers: int
    problems: list[str]
    def Plan(self, form: str, plan: str) -> None: ...
    def Answer(self, answer: str) -> None: ...
    def Install(self) -> None: ...

def ErrorText(code: int, language: Optional[int] = ...) -> str: ...
def MapHost(host: str, address: str) -> None: ...
def SetHostSetting(host: str, key: str, value: str) -> None: ...
def HostSetting(host: str, key: str) -> Optional[str]: ...
def LoadHostSettings(path: str) -> None: ...
def ClearHostSettings() -> None: ...
def SetWireTrace(path: str) -> None: ...
UploadProgress = Callable[[int, int], Optional[bool]]
def SetUploadProgress(callback: Optional[UploadProgress]) -> Optional[UploadProgress]: ...
def upload_progress(callback: Optional[UploadProgress]) -> ContextManager[None]: ...
UPLOAD_CANCELLED: int
def UnmapHost(host: str) -> None: ...
def ClearHostMap() -> None: ...
def ToolkitNames() -> list[str]: ...
def UseToolkit(name: str) -> None: ...
def CurrentToolkitName() -> str: ...
def UninstallUser() -> None: ...

@dataclass(frozen=True)
class Failure:
    member: str
    code: int
    text: str
    number: int
    detail: str
    sequence: int

class CallFailed(Exception):
    failure: Failure
    member: str
    code: int
    text: str
    detail: str
    def __init__(self, failure: Failure) -> None: ...

class Document(NamedTuple):
    name: str
    read_only: bool
    status: int
    profile: str
    values: dict

class Version(NamedTuple):
    version_id: str
    comment: str
    created_time: str
    domain: str
    user: str
'''

TYPES = {"str": "str", "int": "int", "bool": "bool", "any": "Any", "None": "None"}


def docstring(text, indent):
    body = textwrap.indent(text.rstrip("\n").replace("\\", "\\\\").replace('"""', '\\"\\"\\"'), indent)
    return indent + '"""\n' + body + "\n" + indent + '"""\n'


def members(prog_id):
    out = []
    for name, is_property, params, result, doc in _qzorvex.member_table(prog_id):
        if is_property:
            out.append("    %s: %s\n" % (name, TYPES[result]))
            continue
        args = ["self"]
        outputs = []
        for pname, kind, output in params:
            if output:
                args.append("%s: Optional[%s] = ..." % (pname, TYPES[kind]))
                outputs.append(TYPES[kind])
            else:
                args.append("%s: %s" % (pname, TYPES[kind]))
        ret = TYPES[result]
        if outputs:
            ret = "tuple[%s]" % ", ".join([ret] + outputs)
        out.append("    def %s(%s) -> %s:\n" % (name, ", ".join(args), ret))
        out.append(docstring(doc, "        "))
        out.append("        ...\n")
    return "".join(out)


def helpers(cls):
    out = []
    for name, fn in vars(cls).items():
        if name.startswith("_") or not callable(fn):
            continue
        sig = inspect.signature(fn)
        params = []
        for p in sig.parameters.values():
            text = p.name
            if p.kind is p.VAR_POSITIONAL:
                text = "*" + text
            if p.annotation is not p.empty:
                text += ": " + str(p.annotation)
            if p.default is not p.empty:
                text += " = " + repr(p.default)
            params.append(text)
        ret = "" if sig.return_annotation is sig.empty else " -> " + str(sig.return_annotation)
        out.append("    def %s(%s)%s: ...\n" % (name, ", ".join(params), ret))
    return "".join(out)


def main(path):
    text = HEADER
    text += "\nclass ConnectOrvex:\n"
    text += '    """The automation class Linkora.ConnectOrvex."""\n'
    text += "    automation_object: Object\n"
    text += "    def __enter__(self) -> ConnectOrvex: ...\n"
    text += "    def __exit__(self, *exc_info: Any) -> None: ...\n"
    text += helpers(qzorvex._ConnectOrvexBase)
    text += members(qzorvex.CONNECT_ORVEX)
    text += "\nclass PropertyClass1:\n"
    text += '    """The automation record Linkora.PropertyClass1."""\n'
    text += "    automation_object: Object\n"
    text += members(qzorvex.PROPERTY_CLASS1)
    text += "\ndef CreateObject(name: str, raise_on_failure: bool = ...) -> Any: ...\n"
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main(sys.argv[1])
