// qzorvex._qzorvex, the extension under the Python package qzorvex: the
// library's automation objects reached by member name, the way Python
// automation clients use them. The package (python/qzorvex/__init__.py)
// adds typed classes with signatures and docstrings from the member table,
// keyword arguments, context managers, iterators and the raising mode.
//
//   import qzorvex
//   docs = qzorvex.CreateObject("Linkora.ConnectOrvex")
//   docs.ShowDialog = False
//   docs.ConnectOpen("docs", "jones", "CORP", "secret")
//   ok, name, description = docs.GetWorkspace(0)
//
// Names compare case-insensitively. Properties read and write as attributes;
// methods are called. A method with by-reference outputs returns a tuple:
// its result, then the outputs in parameter order (outputs may be left out
// of the call). Automation errors raise qzorvex.AutomationError with
// `number` and `description`; a name the object does not offer raises
// qzorvex.MemberNotFoundError, which is also an AttributeError.
//
// The shapes of the members (property or method, which parameters are
// outputs and of what type) come from the member lists of the public
// headers; whether a member is offered comes from the object itself.
#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cctype>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "qzorvex/qzorvex.h"

namespace py = pybind11;

namespace {

using qzorvex::AutomationError;
using qzorvex::Dispatch;
using qzorvex::InvokeKind;
using qzorvex::Variant;
using qzorvex::VariantType;

enum class Kind { kString, kI2, kI4, kBool, kVariant };

struct Param {
  Kind kind;
  bool output;
};

struct Shape {
  bool is_property = false;
  std::vector<Param> params;
  bool has_outputs() const {
    for (const Param& p : params)
      if (p.output) return true;
    return false;
  }
};

// The shapes of one class's members, indexed by dispatch id.
struct ClassInfo {
  std::string prog_id;
  std::map<int32_t, Shape> shapes;
};

template <typename P>
Param ParamOf() {
  using T = std::remove_cvref_t<P>;
  constexpr bool output =
      std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;
  if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view>)
    return {Kind::kString, output};
  else if constexpr (std::is_same_v<T, int16_t>)
    return {Kind::kI2, output};
  else if constexpr (std::is_same_v<T, int32_t>)
    return {Kind::kI4, output};
  else if constexpr (std::is_same_v<T, bool>)
    return {Kind::kBool, output};
  else
    return {Kind::kVariant, output};
}

// The Python type of a parameter or result of this kind, as the stub writes it.
const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kString:
      return "str";
    case Kind::kI2:
    case Kind::kI4:
      return "int";
    case Kind::kBool:
      return "bool";
    case Kind::kVariant:
      break;
  }
  return "any";
}

template <typename R>
const char* ResultName() {
  if constexpr (std::is_void_v<R>)
    return "None";
  else
    return KindName(ParamOf<R>().kind);
}

template <typename Sig>
struct MethodShape;

template <typename C, typename R, typename... P>
struct MethodShape<R (C::*)(P...)> {
  static Shape Get() { return Shape{false, {ParamOf<P>()...}}; }
};

const ClassInfo& ConnectOrvexInfo() {
  static const ClassInfo info = [] {
    using qzorvex::ConnectOrvexDispid;
    ClassInfo c{std::string(qzorvex::kConnectOrvexProgId), {}};
#define PROPERTY(Name, Type) c.shapes[ConnectOrvexDispid::Name] = Shape{true, {}};
#define METHOD(Name, Result, Params, Args) \
  c.shapes[ConnectOrvexDispid::Name] = MethodShape<decltype(&qzorvex::ConnectOrvex::Name)>::Get();
#define PAIR(Name, ExName, Result, Params, Args) \
  METHOD(Name, Result, Params, Args)             \
  METHOD(ExName, Result, Params, Args)
    QZORVEX_CONNECT_ORVEX_MEMBERS(PROPERTY, METHOD, PAIR)
#undef PROPERTY
#undef METHOD
#undef PAIR
    return c;
  }();
  return info;
}

const ClassInfo& PropertyClass1Info() {
  static const ClassInfo info = [] {
    ClassInfo c{std::string(qzorvex::kPropertyClass1ProgId), {}};
    int32_t dispid = 0;
#define PROPERTY(Name, Type) c.shapes[++dispid] = Shape{true, {}};
    QZORVEX_PROPERTY_CLASS1_MEMBERS(PROPERTY)
#undef PROPERTY
    return c;
  }();
  return info;
}

// Which of the library's classes an object is; nullptr for another kind.
const ClassInfo* ClassOf(const std::shared_ptr<Dispatch>& object) {
  try {
    qzorvex::ConnectOrvex typed(object);
    return &ConnectOrvexInfo();
  } catch (const AutomationError&) {
  }
  try {
    qzorvex::PropertyClass1 typed(object);
    return &PropertyClass1Info();
  } catch (const AutomationError&) {
  }
  return nullptr;
}

// An automation object seen from Python.
class Object {
 public:
  explicit Object(std::shared_ptr<Dispatch> object)
      : object_(std::move(object)), info_(ClassOf(object_)) {}

  const std::shared_ptr<Dispatch>& dispatch() const { return object_; }
  const ClassInfo* info() const { return info_; }

  int32_t IdOf(const std::string& name) const {
    std::optional<int32_t> id = object_->GetIdOfName(name);
    if (!id) throw AutomationError(qzorvex::kErrMemberNotFound);
    return *id;
  }

  const Shape* ShapeOf(int32_t dispid) const {
    if (!info_) return nullptr;
    auto it = info_->shapes.find(dispid);
    return it == info_->shapes.end() ? nullptr : &it->second;
  }

 private:
  std::shared_ptr<Dispatch> object_;
  const ClassInfo* info_;
};

py::object ToPython(const Variant& v);

// The type of `qzorvex.Nothing`, the null object reference a script writes
// as Nothing: assigned to a property it unbinds the object held there.
struct NothingType {};

Variant FromPython(const py::handle& value) {
  if (value.is_none()) return Variant();
  if (py::isinstance<NothingType>(value)) return Variant(std::shared_ptr<Dispatch>());
  if (py::isinstance<py::bool_>(value)) return Variant(value.cast<bool>());
  if (py::isinstance<py::int_>(value)) {
    long long n = value.cast<long long>();
    if (n >= std::numeric_limits<int16_t>::min() && n <= std::numeric_limits<int16_t>::max())
      return Variant(static_cast<int16_t>(n));
    if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
      return Variant(static_cast<int32_t>(n));
    throw AutomationError(qzorvex::kErrOverflow);
  }
  if (py::isinstance<py::str>(value)) return Variant(value.cast<std::string>());
  if (py::isinstance<Object>(value)) return Variant(value.cast<const Object&>().dispatch());
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
    qzorvex::VariantArray items;
    for (py::handle item : value) items.push_back(FromPython(item));
    return Variant(std::move(items));
  }
  throw AutomationError(qzorvex::kErrTypeMismatch);
}

py::object ToPython(const Variant& v) {
  switch (v.type()) {
    case VariantType::kEmpty:
    case VariantType::kNull:
      return py::none();
    case VariantType::kI2:
    case VariantType::kI4:
      return py::int_(v.ToInt32());
    case VariantType::kBool:
      return py::bool_(v.ToBool());
    case VariantType::kString:
      return py::str(v.ToString());
    case VariantType::kArray: {
      py::list items;
      for (const Variant& item : v.array()) items.append(ToPython(item));
      return items;
    }
    case VariantType::kObject:
      // Nothing reads as None: no Python object stands for a null one.
      if (!v.object()) return py::none();
      return py::cast(Object(v.object()));
  }
  return py::none();
}

// The value an output left out of a call starts with.
Variant EmptyOutput(Kind kind) {
  switch (kind) {
    case Kind::kString:
      return Variant(std::string());
    case Kind::kI2:
      return Variant(int16_t{0});
    case Kind::kI4:
      return Variant(int32_t{0});
    case Kind::kBool:
      return Variant(false);
    case Kind::kVariant:
      return Variant();
  }
  return Variant();
}

// A Python callable as the calling thread's upload progress. It is called
// on the uploading thread while the member call that uploads has released
// the GIL, so it takes the GIL for the call only. A false result stops the
// upload (None goes on), and so does an exception raised in it, whose type
// and message the failure's detail keeps.
class PythonProgress {
 public:
  explicit PythonProgress(py::object callable)
      : callable_(new py::object(std::move(callable)), &Release) {}

  bool operator()(uint64_t sent, uint64_t total) const {
    std::string raised;
    {
      py::gil_scoped_acquire gil;
      try {
        py::object answer = (*callable_)(sent, total);
        if (answer.is_none()) return true;
        const int truth = PyObject_IsTrue(answer.ptr());
        if (truth < 0) throw py::error_already_set();
        return truth != 0;
      } catch (py::error_already_set& e) {
        raised = py::str(e.type().attr("__name__")).cast<std::string>() + ": " +
                 py::str(e.value()).cast<std::string>();
      }
    }
    throw std::runtime_error(raised);
  }

  const py::object& callable() const { return *callable_; }

 private:
  // The last copy may go on any thread, also when that thread ends and its
  // progress with it: the reference is dropped under the GIL, or left to
  // the process's end once the interpreter has gone.
  static void Release(py::object* callable) {
    if (!Py_IsInitialized()) {
      callable->release();
      delete callable;
      return;
    }
    PyGILState_STATE state = PyGILState_Ensure();
    delete callable;
    PyGILState_Release(state);
  }

  std::shared_ptr<py::object> callable_;
};

py::object SetUploadProgress(const py::object& callback) {
  if (!callback.is_none() && !PyCallable_Check(callback.ptr()))
    throw py::type_error("the upload progress must be callable or None");
  qzorvex::UploadProgress previous = qzorvex::SetUploadProgress(
      callback.is_none() ? qzorvex::UploadProgress() : PythonProgress(callback));
  if (const auto* from_python = previous.target<PythonProgress>()) return from_python->callable();
  return py::none();
}

// A method of an object, ready to be called.
class BoundMethod {
 public:
  BoundMethod(Object object, int32_t dispid, std::string name)
      : object_(std::move(object)), dispid_(dispid), name_(std::move(name)) {}

  py::object Call(const py::args& args) {
    std::vector<Variant> values;
    for (py::handle a : args) values.push_back(FromPython(a));
    const Shape* shape = object_.ShapeOf(dispid_);
    // Outputs at the end of the list may be left out.
    if (shape) {
      for (size_t i = values.size(); i < shape->params.size() && shape->params[i].output; ++i)
        values.push_back(EmptyOutput(shape->params[i].kind));
    }
    // Other Python threads run while the call waits for the server (or a
    // dialog): nothing below touches a Python object.
    Variant result;
    {
      py::gil_scoped_release release;
      result = object_.dispatch()->Invoke(dispid_, InvokeKind::kMethod, values);
    }
    if (!shape || !shape->has_outputs()) return ToPython(result);
    py::list out;
    out.append(ToPython(result));
    for (size_t i = 0; i < shape->params.size() && i < values.size(); ++i)
      if (shape->params[i].output) out.append(ToPython(values[i]));
    return py::tuple(out);
  }

  std::string Repr() const { return "<qzorvex method " + name_ + ">"; }

 private:
  Object object_;
  int32_t dispid_;
  std::string name_;
};

py::object GetMember(const Object& self, const std::string& name) {
  if (name.size() > 1 && name[0] == '_' && name[1] == '_') throw py::attribute_error(name);
  int32_t dispid = self.IdOf(name);
  const Shape* shape = self.ShapeOf(dispid);
  if (shape && shape->is_property)
    return ToPython(self.dispatch()->Invoke(dispid, InvokeKind::kPropertyGet, {}));
  return py::cast(BoundMethod(self, dispid, name));
}

// An object is assigned by reference, as a script's `Set x.Prop = obj`;
// any other value (None among them: it is Empty) is assigned as a value.
void SetMember(const Object& self, const std::string& name, const py::object& value) {
  int32_t dispid = self.IdOf(name);
  std::vector<Variant> args{FromPython(value)};
  const InvokeKind kind =
      args[0].IsObject() ? InvokeKind::kPropertyPutRef : InvokeKind::kPropertyLet;
  self.dispatch()->Invoke(dispid, kind, args);
}

std::vector<std::string> MemberNames(const Object& self) {
  std::vector<std::string> names;
  if (!self.info()) return names;
  // Offered members only: those the object finds by name.
  auto add = [&](const char* name) {
    if (self.dispatch()->GetIdOfName(name)) names.emplace_back(name);
  };
  if (self.info() == &ConnectOrvexInfo()) {
#define ONE(Name, ...) add(#Name);
#define PAIR(Name, ExName, ...) add(#Name), add(#ExName);
    QZORVEX_CONNECT_ORVEX_MEMBERS(ONE, ONE, PAIR)
#undef PAIR
  } else {
    QZORVEX_PROPERTY_CLASS1_MEMBERS(ONE)
#undef ONE
  }
  return names;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// "(Index, Profile)" -> {"Index", "Profile"}.
std::vector<std::string> ArgNames(std::string_view text) {
  std::vector<std::string> names;
  std::string name;
  for (char c : text) {
    if (c == '(' || c == ' ') continue;
    if (c == ',' || c == ')') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += c;
    }
  }
  return names;
}

// The members of one class as the package builds its typed class from
// them: (name, is_property, [(parameter, type, is_output)], result type,
// reference text), in interface order.
py::list MemberTable(const std::string& prog_id) {
  py::list rows;
  auto add = [&](const char* name, const Shape& shape, std::vector<std::string> names,
                 const char* result) {
    py::list params;
    for (size_t i = 0; i < shape.params.size() && i < names.size(); ++i)
      params.append(
          py::make_tuple(names[i], KindName(shape.params[i].kind), shape.params[i].output));
    rows.append(
        py::make_tuple(name, shape.is_property, params, result, qzorvex::MemberReference(name)));
  };
  if (SameName(prog_id, qzorvex::kConnectOrvexProgId)) {
    const ClassInfo& info = ConnectOrvexInfo();
    using qzorvex::ConnectOrvexDispid;
#define PROPERTY(Name, Type) \
  add(#Name, info.shapes.at(ConnectOrvexDispid::Name), {}, KindName(ParamOf<Type>().kind));
#define METHOD(Name, Result, Params, Args) \
  add(#Name, info.shapes.at(ConnectOrvexDispid::Name), ArgNames(#Args), ResultName<Result>());
#define PAIR(Name, ExName, Result, Params, Args)                                              \
  METHOD(Name, Result, Params, Args) {                                                        \
    std::vector<std::string> ex_names = ArgNames(#Args);                                      \
    ex_names.insert(ex_names.begin(), "Handle");                                              \
    add(#ExName, info.shapes.at(ConnectOrvexDispid::ExName), ex_names, ResultName<Result>()); \
  }
    QZORVEX_CONNECT_ORVEX_MEMBERS(PROPERTY, METHOD, PAIR)
#undef PROPERTY
#undef METHOD
#undef PAIR
  } else if (SameName(prog_id, qzorvex::kPropertyClass1ProgId)) {
    const ClassInfo& info = PropertyClass1Info();
    int32_t dispid = 0;
#define PROPERTY(Name, Type) \
  add(#Name, info.shapes.at(++dispid), {}, KindName(ParamOf<Type>().kind));
    QZORVEX_PROPERTY_CLASS1_MEMBERS(PROPERTY)
#undef PROPERTY
  } else {
    throw py::value_error("no class " + prog_id);
  }
  return rows;
}

// The failure behind the code of the default connection (ex false) or entry
// 0: (member, code, text, number, detail, sequence), or None.
py::object LastFailure(const Object& self, bool ex) {
  qzorvex::ConnectOrvex typed(self.dispatch());
  std::optional<qzorvex::Failure> f = ex ? typed.LastFailureEx(0) : typed.LastFailure();
  if (!f) return py::none();
  return py::make_tuple(f->member, f->code, f->text, f->number, f->detail, f->sequence);
}

}  // namespace

PYBIND11_MODULE(_qzorvex, m) {
  m.doc() = "QzOrvex: the automation objects of the document store client, by member name";
  m.attr("__version__") = qzorvex::Version();

  // Error classes: AutomationError(number, description), and the 438 of a
  // name the object does not offer as MemberNotFoundError, an AttributeError too.
  py::dict scope;
  py::exec(R"(
class AutomationError(Exception):
    """An automation error: `number` and `description` as the library reports them."""
    def __init__(self, number, description):
        super().__init__(number, description)
        self.number = number
        self.description = description
    def __str__(self):
        return "error %d: %s" % (self.number, self.description)

class MemberNotFoundError(AutomationError, AttributeError):
    """The object has no member by that name (error 438)."""
)",
           py::globals(), scope);
  py::object automation_error = scope["AutomationError"];
  py::object member_not_found = scope["MemberNotFoundError"];
  automation_error.attr("__module__") = "qzorvex";
  member_not_found.attr("__module__") = "qzorvex";
  m.attr("AutomationError") = automation_error;
  m.attr("MemberNotFoundError") = member_not_found;
  static py::object error_class = automation_error;
  static py::object not_found_class = member_not_found;
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const AutomationError& e) {
      py::object cls = e.number() == qzorvex::kErrMemberNotFound ? not_found_class : error_class;
      py::object instance = cls(e.number(), std::string(e.what()));
      PyErr_SetObject(cls.ptr(), instance.ptr());
    }
  });

  py::class_<Object>(m, "Object", "An automation object; its members are reached by name.")
      .def("__getattr__", &GetMember)
      .def("__setattr__", &SetMember)
      .def("__dir__", &MemberNames)
      .def("__eq__", [](const Object& a, const Object& b) { return a.dispatch() == b.dispatch(); })
      .def("__hash__", [](const Object& a) { return std::hash<const void*>()(a.dispatch().get()); })
      .def("__repr__",
           [](const Object& o) {
             return "<qzorvex.Object " + (o.info() ? o.info()->prog_id : std::string("object")) +
                    ">";
           })
      .def_property_readonly(
          "prog_id", [](const Object& o) { return o.info() ? o.info()->prog_id : std::string(); },
          "The ProgID of the object's class, \"\" for an object of another kind.")
      .def("last_failure", &LastFailure, py::arg("ex") = false,
           "(member, code, text, number, detail, sequence) of the failure behind the code "
           "the default connection (ex=False) or entry 0 holds, or None.");

  py::class_<NothingType>(m, "NothingType", "The type of qzorvex.Nothing.")
      .def("__repr__", [](const NothingType&) { return std::string("qzorvex.Nothing"); });
  m.attr("Nothing") = NothingType{};

  py::class_<BoundMethod>(m, "Method")
      .def("__call__", &BoundMethod::Call)
      .def("__repr__", &BoundMethod::Repr);

  m.def(
      "CreateObject", [](const std::string& name) { return Object(qzorvex::CreateObject(name)); },
      py::arg("name"), "A new object of the class a ProgID or CLSID names.");
  m.def("member_table", &MemberTable, py::arg("prog_id"),
        "The members of a class: (name, is_property, [(parameter, type, is_output)], "
        "result type, reference text).");
  m.def(
      "ErrorText",
      [](int32_t code, std::optional<int> language) {
        return language ? qzorvex::ErrorText(code, *language) : qzorvex::ErrorText(code);
      },
      py::arg("code"), py::arg("language") = py::none(),
      "The words for an error code: in the calling thread's string-table language, or in "
      "`language` (1033 English, 1041 Japanese).");
  m.def("MapHost", &qzorvex::MapHost, py::arg("host"), py::arg("address"),
        "Reach server `host` at a URL or \"ADDR:PORT\" (the Host header keeps the bare name).");
  m.def("SetHostSetting", &qzorvex::SetHostSetting, py::arg("host"), py::arg("key"),
        py::arg("value"), "Set one connection setting of server `host` (ValueError if bad).");
  m.def("HostSetting", &qzorvex::HostSetting, py::arg("host"), py::arg("key"),
        "The value set for `key` of server `host`, or None.");
  m.def("LoadHostSettings", &qzorvex::LoadHostSettings, py::arg("path"),
        "Apply a hosts.conf file over the current settings (ValueError: file, line, reason).");
  m.def("ClearHostSettings", &qzorvex::ClearHostSettings);
  m.def("SetWireTrace", &qzorvex::SetWireTrace, py::arg("path"),
        "Append every HTTP exchange, credentials masked, to `path` (\"\": stop).");
  m.attr("UPLOAD_CANCELLED") = qzorvex::kUploadCancelled;
  m.def("SetUploadProgress", &SetUploadProgress, py::arg("callback"),
        "Call callback(sent, total) as this thread's uploads send a document's content; "
        "False or an exception stops the upload (None: no progress). Returns the callback "
        "it replaces.");
  m.def("UnmapHost", &qzorvex::UnmapHost, py::arg("host"));
  m.def("ClearHostMap", &qzorvex::ClearHostMap);
  m.def("ToolkitNames", &qzorvex::ToolkitNames, "The dialogs' toolkits this process has.");
  m.def("UseToolkit", &qzorvex::UseToolkit, py::arg("name"),
        "Show this thread's dialogs with toolkit `name` (\"headless\" or \"qt\").");
  m.def("CurrentToolkitName", &qzorvex::CurrentToolkitName);
  m.def("UninstallUser", &qzorvex::UninstallUser,
        "Dialogs fall back to their toolkit's default user.");

  py::class_<qzorvex::ScriptedUser>(m, "ScriptedUser",
                                    "A user that acts on the dialogs by written plans.")
      .def(py::init<>())
      .def("Plan", &qzorvex::ScriptedUser::Plan, py::arg("form"), py::arg("plan"))
      .def("Answer", &qzorvex::ScriptedUser::Answer, py::arg("answer"))
      .def("Install", &qzorvex::ScriptedUser::Install)
      .def_property_readonly("pending_plans", &qzorvex::ScriptedUser::pending_plans)
      .def_property_readonly("pending_answers", &qzorvex::ScriptedUser::pending_answers)
      .def_property_readonly("problems", &qzorvex::ScriptedUser::problems);
}
