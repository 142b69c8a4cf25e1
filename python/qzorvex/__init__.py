"""QzOrvex: the document store client's automation objects from Python.

    import qzorvex
    with qzorvex.CreateObject("Linkora.ConnectOrvex", raise_on_failure=True) as docs:
        docs.ShowDialog = False
        docs.ConnectOpen("docs", "jones", "CORP", "secret")
        for name, description in docs.workspaces():
            ...

CreateObject gives a typed object for the library's classes: every member of
the automation interface is a method or property with its parameters'
names (keyword arguments work), its reference text as docstring, and
os.PathLike accepted wherever a string is. A method with by-reference
outputs returns a tuple: its result, then the outputs in parameter order.
Calls that reach the server release the GIL.

Beside the members: iterators (workspaces, folders, categories, documents,
history), last_failure() with the words and the provider's detail of the
code a connection holds, and with raise_on_failure=True a CallFailed
exception for every call that leaves an error code. Leaving a `with` block
closes both connections.

SetUploadProgress(callback), or `with upload_progress(callback):`, has
callback(sent, total) called as this thread's uploads send a document's
content; returning False or raising stops the upload, which then fails
with code 1000 and a failure numbered UPLOAD_CANCELLED, and the server
keeps nothing of it.

The Qt toolkit is loaded only when a dialog can use it (a display, or
UseToolkit("qt")); importing the package loads no Qt.
"""

from __future__ import annotations

import contextlib
import inspect
import os
from dataclasses import dataclass
from typing import Any, Iterator, NamedTuple, Optional

from . import _qzorvex
from ._qzorvex import (  # noqa: F401  (re-exported)
    AutomationError,
    ClearHostMap,
    ClearHostSettings,
    CurrentToolkitName,
    ErrorText,
    MapHost,
    MemberNotFoundError,
    HostSetting,
    LoadHostSettings,
    Method,
    Nothing,
    NothingType,
    Object,
    ScriptedUser,
    SetHostSetting,
    SetUploadProgress,
    SetWireTrace,
    ToolkitNames,
    UninstallUser,
    UnmapHost,
    UseToolkit,
)

__version__ = _qzorvex.__version__

CONNECT_ORVEX = "Linkora.ConnectOrvex"
PROPERTY_CLASS1 = "Linkora.PropertyClass1"
# The failure number of an upload its progress stopped.
UPLOAD_CANCELLED = _qzorvex.UPLOAD_CANCELLED


@contextlib.contextmanager
def upload_progress(callback):
    """Uploads of this thread call callback(sent, total) inside the block.

    Returning False or raising stops the upload; the progress installed
    before the block is back after it.
    """
    previous = SetUploadProgress(callback)
    try:
        yield
    finally:
        SetUploadProgress(previous)


@dataclass(frozen=True)
class Failure:
    """The failure behind the code a connection holds now.

    member: the member whose call left it; code: as GetLastError reads it;
    text: the code's words; number and detail: the provider's error number
    and account (the request and its status, or the transport's message),
    0 and "" when the library refused the call itself; sequence: grows with
    every failure the object records.
    """

    member: str
    code: int
    text: str
    number: int
    detail: str
    sequence: int


class CallFailed(Exception):
    """A call left an error code (raise_on_failure=True, and the iterators)."""

    def __init__(self, failure: Failure):
        super().__init__(failure)
        self.failure = failure
        self.member = failure.member
        self.code = failure.code
        self.text = failure.text
        self.detail = failure.detail

    def __str__(self) -> str:
        text = "%s failed: error %d: %s" % (self.member, self.code, self.text)
        return text + (" (%s)" % self.detail if self.detail else "")


class Document(NamedTuple):
    """A row of a document listing with its profile and stored values."""

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


def _plain(value: Any) -> Any:
    if isinstance(value, os.PathLike):
        return os.fspath(value)
    if isinstance(value, _Typed):
        return value._object
    return value


def _wrap(value: Any, raise_on_failure: bool = False) -> Any:
    if isinstance(value, Object):
        return _typed(value, raise_on_failure)
    return value


class _Typed:
    """The typed view of an automation object; members come from its table."""

    __slots__ = ("_object", "_raise")

    def __init__(self, obj: Object, raise_on_failure: bool = False):
        object.__setattr__(self, "_object", obj)
        object.__setattr__(self, "_raise", raise_on_failure)

    @property
    def automation_object(self) -> Object:
        """The underlying object, reached by member name."""
        return self._object

    def __eq__(self, other: object) -> bool:
        return isinstance(other, _Typed) and self._object == other._object

    def __hash__(self) -> int:
        return hash(self._object)

    def __repr__(self) -> str:
        return repr(self._object)

    def __dir__(self) -> list:
        return sorted(set(dir(type(self))) | set(dir(self._object)))

    # Names spelt otherwise (members compare case-insensitively) go to the
    # object by name; an unknown one raises MemberNotFoundError (error 438).
    def __getattr__(self, name: str) -> Any:
        if name.startswith("__"):
            raise AttributeError(name)
        return _wrap(getattr(self._object, name))

    def __setattr__(self, name: str, value: Any) -> None:
        if isinstance(getattr(type(self), name, None), property):
            object.__setattr__(self, name, value)
        else:
            setattr(self._object, name, _plain(value))


def _make_property(name: str, doc: str) -> property:
    def get(self: _Typed) -> Any:
        return _wrap(getattr(self._object, name))

    def put(self: _Typed, value: Any) -> None:
        setattr(self._object, name, _plain(value))

    return property(get, put, doc=doc)


_ANNOTATION = {"str": "str", "int": "int", "bool": "bool", "any": "Any", "None": "None"}


def _make_method(name: str, params: list, result: str, doc: str):
    # Outputs may be left out; they come back in the result tuple.
    signature_params = [inspect.Parameter("self", inspect.Parameter.POSITIONAL_OR_KEYWORD)]
    for pname, kind, output in params:
        signature_params.append(
            inspect.Parameter(
                pname,
                inspect.Parameter.POSITIONAL_OR_KEYWORD,
                default=None if output else inspect.Parameter.empty,
                annotation=_ANNOTATION[kind] if not output else "Optional[%s]" % _ANNOTATION[kind],
            )
        )
    signature = inspect.Signature(signature_params)
    ex = name.endswith("Ex") or name[-3:-1] == "Ex"  # GetFileInfoEx, FolderDialogExB

    def method(self: _Typed, *args: Any, **kwargs: Any) -> Any:
        try:
            bound = signature.bind(self, *args, **kwargs)
        except TypeError:
            if kwargs:
                raise
            # A wrong number of arguments gets the object's own answer (error 450).
            return _wrap(getattr(self._object, name)(*[_plain(a) for a in args]))
        values = []
        for pname, _, output in params:
            value = bound.arguments.get(pname)
            if output and value is None:
                break  # this output and every later one start empty
            values.append(_plain(value))
        before = self._object.last_failure(ex) if self._raise else None
        out = getattr(self._object, name)(*values)
        if self._raise:
            after = self._object.last_failure(ex)
            if after is not None and (before is None or after[5] != before[5]):
                raise CallFailed(Failure(*after))
        return _wrap(out, self._raise)

    method.__name__ = name
    method.__qualname__ = name
    method.__doc__ = doc
    method.__signature__ = signature  # type: ignore[attr-defined]
    return method


def _build_class(prog_id: str, class_name: str, base: type) -> type:
    members = {}
    for name, is_property, params, result, doc in _qzorvex.member_table(prog_id):
        if is_property:
            members[name] = _make_property(name, doc)
        else:
            members[name] = _make_method(name, params, result, doc)
    members["__slots__"] = ()
    members["__doc__"] = "The automation class %s; its members are the interface's." % prog_id
    return type(class_name, (base,), members)


class _ConnectOrvexBase(_Typed):
    __slots__ = ()

    def __enter__(self):
        return self

    def __exit__(self, *exc_info: Any) -> None:
        self.close()

    def close(self) -> None:
        """Closes the default connection and entry 0 of the connection table."""
        raising = self._raise
        object.__setattr__(self, "_raise", False)
        try:
            self._object.ConnectClose()
            self._object.ConnectCloseEx(0)
        finally:
            object.__setattr__(self, "_raise", raising)

    def last_failure(self, handle: Optional[int] = None) -> Optional[Failure]:
        """The failure behind the code the default connection (or entry `handle`) holds, or None."""
        if handle not in (None, 0):
            raise AutomationError(9, "Subscript out of range")
        row = self._object.last_failure(handle is not None)
        return None if row is None else Failure(*row)

    # Iterators. A listing that fails raises CallFailed, whatever the mode.

    def _call(self, handle: Optional[int], name: str, *args: Any) -> Any:
        if handle is None:
            return getattr(self._object, name)(*args)
        ex = name + "Ex" if not name.endswith(("DialogA", "DialogB")) else name[:-1] + "Ex" + name[-1]
        return getattr(self._object, ex)(handle, *args)

    def _count(self, handle: Optional[int], name: str, *args: Any) -> int:
        before = self._object.last_failure(handle is not None)
        count = self._call(handle, name, *args)
        if count < 0:
            failure = self._object.last_failure(handle is not None)
            if failure is None or (before is not None and failure[5] == before[5]):
                failure = (name, -1, "the listing failed", 0, "", 0)
            raise CallFailed(Failure(*failure))
        return count

    def workspaces(self, handle: Optional[int] = None) -> Iterator[tuple]:
        """(name, description) of every workspace of the server."""
        for i in range(self._count(handle, "GetWorkspaceInfo")):
            ok, name, description = self._call(handle, "GetWorkspace", i)
            if ok:
                yield name, description

    def folders(self, folder: str = "", handle: Optional[int] = None) -> Iterator[tuple]:
        """(name, enhanced, read_only) of the subfolders of `folder` ("" the workspace's top)."""
        for i in range(self._count(handle, "GetDocFolderInfo", _plain(folder))):
            ok, name, version, read_only = self._call(handle, "GetDocFolder", i)
            if ok:
                yield name, version, read_only

    def categories(self, folder: str = "", handle: Optional[int] = None) -> Iterator[tuple]:
        """(name, description, read_only, has_children) of the categories under `folder`."""
        for i in range(self._count(handle, "GetCategoryInfo", _plain(folder))):
            ok, name, description, read_only, has_child = self._call(handle, "GetCategory", i)
            if ok:
                yield name, description, read_only, has_child

    def documents(self, folder: str = "", handle: Optional[int] = None) -> Iterator[Document]:
        """The documents of `folder` with their status, profile title and stored values."""
        self._count(handle, "GetDocProfileInfo")  # profile titles for the rows
        count = self._count(handle, "GetFileInfo", _plain(folder))
        rows = []
        for i in range(count):
            ok, name, read_only, status = self._call(handle, "GetFileData", i)
            if not ok:
                continue
            values = {}
            n, profile = self._call(handle, "GetFileContentInfo", i)
            for j in range(max(n, 0)):
                ok, prop, _, data = self._call(handle, "GetFileContent", j)
                if ok:
                    values[prop] = data
            rows.append(Document(name, bool(read_only), status, profile, values))
        yield from rows

    def history(self, folder: str, file: str, handle: Optional[int] = None) -> Iterator[Version]:
        """The versions of document `file` of `folder`."""
        for i in range(self._count(handle, "GetHistoryInfo", _plain(folder), _plain(file))):
            ok, *fields = self._call(handle, "GetHistory", i)
            if ok:
                yield Version(*fields)


ConnectOrvex = _build_class(CONNECT_ORVEX, "ConnectOrvex", _ConnectOrvexBase)
PropertyClass1 = _build_class(PROPERTY_CLASS1, "PropertyClass1", _Typed)


def _typed(obj: Object, raise_on_failure: bool = False) -> Any:
    if obj.prog_id == CONNECT_ORVEX:
        return ConnectOrvex(obj, raise_on_failure)
    if obj.prog_id == PROPERTY_CLASS1:
        return PropertyClass1(obj)
    return obj


def CreateObject(name: str, raise_on_failure: bool = False) -> Any:
    """A new object of the class a ProgID or CLSID names (error 429 for another).

    With raise_on_failure=True, a ConnectOrvex raises CallFailed (member,
    code, text, detail) for every call that leaves an error code, instead of
    answering its failure value.
    """
    return _typed(_qzorvex.CreateObject(name), raise_on_failure)
