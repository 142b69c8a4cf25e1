#include "fakes/fake_backend.h"

#include "server/error.h"
#include "server/item.h"
#include "server/names.h"
#include "server/schema.h"

namespace orvex::testing {
namespace {

std::string Show(const Variant& v) {
  if (v.IsEmpty()) return "Empty";
  if (v.IsNull()) return "Null";
  if (v.IsArray()) {
    std::string out = "[";
    for (const Variant& e : v.array()) out += (out.size() > 1 ? "," : "") + Show(e);
    return out + "]";
  }
  return v.ToString();
}

std::string Describe(const server::BindArgs& a) {
  std::string cnx = "none";
  if (a.active_connection != nullptr)
    cnx = a.active_connection->State() == server::kStateOpen ? "open" : "closed";
  return a.url + " cnx=" + cnx + " mode=" + std::to_string(a.mode) +
         " create=" + std::to_string(a.create_option) + " options=" + std::to_string(a.options) +
         " user=" + a.user + " password=" + a.password;
}

// Items are keyed without a trailing slash; a walk asks for "http://h/ws/".
std::string Key(std::string url) {
  if (url.size() > 1 && url.back() == '/') url.pop_back();
  return url;
}

std::string ParentOf(const std::string& url) {
  size_t slash = url.rfind('/');
  return slash == std::string::npos ? std::string() : url.substr(0, slash);
}

}  // namespace

std::string OpenCall(const std::string& what, const std::string& cnx, bool jones, int32_t mode) {
  return "Open " + what + " cnx=" + cnx + " mode=" + std::to_string(mode) +
         " create=-1 options=0 user=" + (jones ? "CORP\\jones password=secret" : " password=");
}

namespace {

class FakeSchemaDefinition : public server::SchemaDefinition {
 public:
  FakeSchemaDefinition(FakeBackend& backend, server::SchemaKind kind, std::string id,
                       server::Fields fields, std::string location)
      : SchemaDefinition(kind, std::move(id), std::move(fields)),
        backend_(backend),
        location_(std::move(location)) {}

  std::unique_ptr<server::SchemaDefinition> PropertyDefinition(const std::string& id) override {
    if (kind() != server::SchemaKind::kContentClass) throw server::Error(server::kErrNotSupported);
    return backend_.LookUpSchema("PropertyDefinition", server::SchemaKind::kProperty, location_,
                                 id);
  }

 private:
  FakeBackend& backend_;
  std::string location_;
};

// A content stream that logs its calls and reads no file.
class RecordingStream : public server::Stream {
 public:
  explicit RecordingStream(FakeBackend& backend) : backend_(backend) {}
  void SetType(int32_t type) override {
    backend_.Record("Stream Type=" + std::to_string(type));
    Stream::SetType(type);
  }
  void SetEOS() override { backend_.Record("Stream SetEOS"); }
  void LoadFromFile(const std::string& path) override {
    backend_.Record("Stream LoadFromFile " + path);
  }
  void Flush() override { backend_.Record("Stream Flush"); }

 private:
  FakeBackend& backend_;
};

class FakeItem : public server::Item {
 public:
  FakeItem(FakeBackend& backend, server::ItemKind kind) : Item(kind), backend_(backend) {}

  void Open(const server::BindArgs& args) override {
    backend_.Record(std::string("Open ") + server::ItemKindName(kind()) + " " + Describe(args));
    Bind(args.url);
  }

  void OpenDocument(const std::string& url, int32_t options) override {
    backend_.Record("OpenDocument " + url + " options=" + std::to_string(options));
    Bind(url);
  }

  void SaveTo(const server::BindArgs& args) override {
    std::string line = std::string("SaveTo ") + server::ItemKindName(kind()) + " " + Describe(args);
    for (const auto& [name, value] : fields_.pending()) line += " " + name + "=" + Show(value);
    backend_.Record(line);
    const bool replace =
        kind() == server::ItemKind::kDocument && args.create_option == server::kCreateOverwrite;
    const bool exists = backend_.items.count(args.url) > 0;
    if (exists && !replace) throw server::Error(server::kErrAlreadyExists);
    if (!exists && !backend_.items.count(ParentOf(args.url)))
      throw server::Error(server::kErrObjectNotFound);
    if (exists) {
      for (const auto& [name, value] : fields_.pending()) backend_.items[args.url][name] = value;
    } else {
      backend_.AddItem(args.url, fields_.values());
    }
    fields_.ClearPending();
    url_ = args.url;
  }

  void Save() override {
    backend_.Record("Save " + url_);
    fields_.Update();
  }

  server::Stream& ContentStream() override {
    if (!stream_) stream_ = std::make_unique<RecordingStream>(backend_);
    return *stream_;
  }

  void Delete(const std::string& url) override {
    // A delete without an argument is logged with the bound URL and marked.
    backend_.Record("Delete " + (url.empty() ? url_ + " (bound)" : url));
    backend_.items.erase(url_);
    auto& rows = backend_.listings[ParentOf(url_)];
    std::erase_if(rows,
                  [&](const server::Fields& f) { return f.Value("DAV:href").ToString() == url_; });
  }

  void MoveTo(const std::string& url) override {
    backend_.Record("MoveTo " + url_ + " -> " + url);
    if (backend_.items.count(url)) throw server::Error(server::kErrAlreadyExists);
    auto props = backend_.items[url_];
    backend_.items.erase(url_);
    backend_.AddItem(url, props);
  }

  server::Recordset ListWorkspaces(Columns columns) override {
    return List("ListWorkspaces", columns);
  }
  server::Recordset ListSubfolders(Columns columns) override {
    return List("ListSubfolders", columns);
  }
  server::Recordset ListItems() override {
    backend_.Record("ListItems " + url_);
    std::vector<server::Fields> rows;
    auto it = backend_.listings.find(url_);
    if (it != backend_.listings.end())
      for (const server::Fields& f : it->second)
        if (!server::FlagOf(f.Value(server::kColIsCollection))) rows.push_back(f);
    return server::Recordset(std::move(rows));
  }

  std::vector<std::string> DocumentProfiles() override {
    backend_.Record("DocumentProfiles " + url_);
    if (kind() != server::ItemKind::kWorkspaceFolder)
      return server::StringList(fields_.Value(server::kPropDocumentProfiles),
                                server::kPropDocumentProfiles);
    const server::FieldMap& workspace = Workspace();
    auto it = workspace.find(server::kPropDocumentProfiles);
    return server::StringList(it == workspace.end() ? Variant(Null{}) : it->second,
                              server::kPropDocumentProfiles);
  }

  std::string DefaultDocumentProfile() override {
    backend_.Record("DefaultDocumentProfile " + url_);
    const Variant& v = fields_.Value(server::kPropDefaultDocumentProfile);
    return v.IsNull() ? std::string() : v.ToString();
  }

  std::unique_ptr<server::SchemaDefinition> ContentClassDefinition(const std::string& id) override {
    return backend_.LookUpSchema("ContentClassDefinition", server::SchemaKind::kContentClass,
                                 SchemaLocation(), id);
  }

  std::unique_ptr<server::SchemaDefinition> DictionaryObject(const std::string& id) override {
    return backend_.LookUpSchema("DictionaryObject", server::SchemaKind::kDictionary,
                                 SchemaLocation(), id);
  }

 private:
  // The properties of the workspace the item is bound in: the nearest item
  // at or above its URL that names a schema location.
  const server::FieldMap& Workspace() const {
    for (std::string url = url_; !url.empty(); url = ParentOf(url)) {
      auto it = backend_.items.find(url);
      if (it != backend_.items.end() && it->second.count(server::kPropSchemaCollectionRef))
        return it->second;
    }
    throw server::Error(server::kErrObjectNotFound);
  }

  std::string SchemaLocation() const {
    return Workspace().at(server::kPropSchemaCollectionRef).ToString();
  }

  void Bind(const std::string& url) {
    auto it = backend_.items.find(Key(url));
    if (it == backend_.items.end()) throw server::Error(server::kErrObjectNotFound);
    fields_ = server::Fields(it->second);
    url_ = Key(url);
    fields_.set_writer([this](const server::Fields::Changes& changes) {
      for (const auto& [name, value] : changes) {
        backend_.Record("Update " + url_ + " " + name + "=" + Show(value));
        backend_.items[url_].insert_or_assign(name, value);
      }
    });
  }

  // The listing's rows; with columns named, each row keeps only those, so
  // a caller that reads a column it did not name finds it missing.
  server::Recordset List(const std::string& what, Columns columns) {
    backend_.Record(what + " " + url_);
    auto it = backend_.listings.find(url_);
    if (it == backend_.listings.end()) return server::Recordset();
    if (columns.empty()) return server::Recordset(it->second);
    std::vector<server::Fields> rows;
    for (const server::Fields& f : it->second) {
      server::FieldMap kept;
      for (const char* column : columns)
        if (f.Contains(column)) kept.emplace(column, f.Value(column));
      rows.emplace_back(std::move(kept));
    }
    return server::Recordset(std::move(rows));
  }

  FakeBackend& backend_;
  std::string url_;
};

class FakeVersion : public server::Version {
 public:
  explicit FakeVersion(FakeBackend& backend) : backend_(backend) {}
  void CheckOut(const std::string& url, const std::string& comment) override {
    backend_.Record("CheckOut " + url + " comment=" + comment);
  }
  void CheckIn(const std::string& url, const std::string& comment) override {
    backend_.Record("CheckIn " + url + " comment=" + comment);
  }
  void Publish(const std::string& url) override { backend_.Record("Publish " + url); }
  server::Recordset History(const std::string& url, int32_t flags) override {
    backend_.Record("History " + url + " flags=" + std::to_string(flags));
    auto it = backend_.histories.find(url);
    if (it == backend_.histories.end()) throw server::Error(server::kErrObjectNotFound);
    return server::Recordset(it->second);
  }

 private:
  FakeBackend& backend_;
};

}  // namespace

std::unique_ptr<server::SchemaDefinition> FakeBackend::LookUpSchema(const std::string& call,
                                                                    server::SchemaKind kind,
                                                                    const std::string& location,
                                                                    const std::string& id) {
  const std::string url = location + "/" + id;
  Record(call + " " + url);
  auto it = items.find(url);
  if (it == items.end()) throw server::Error(server::kErrObjectNotFound);
  return std::make_unique<FakeSchemaDefinition>(*this, kind, id, server::Fields(it->second),
                                                location);
}

void FakeBackend::AddSchemaObject(const std::string& location, const std::string& id,
                                  server::FieldMap props) {
  items[location + "/" + id] = std::move(props);
}

std::vector<std::string> FakeBackend::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& c : calls)
    if (c.rfind(prefix, 0) == 0) out.push_back(c);
  return out;
}

void FakeBackend::AddItem(const std::string& url, server::FieldMap props, bool list_under_parent) {
  props.insert_or_assign("DAV:href", url);
  items[url] = props;
  if (list_under_parent) listings[ParentOf(url)].push_back(server::Fields(props));
}

void FakeBackend::Record(const std::string& line) {
  calls.push_back(line);
  for (auto it = failures.begin(); it != failures.end(); ++it) {
    if (line.rfind(it->first, 0) == 0) {
      int32_t number = it->second;
      failures.erase(it);
      throw server::Error(number);
    }
  }
}

void FakeBackend::OpenConnection(const server::Connection& c, const std::string& url,
                                 const std::string& user, const std::string& password,
                                 int32_t options) {
  std::string line = "OpenConnection " + url + " user=" + user + " password=" + password +
                     " options=" + std::to_string(options) + " provider=" + c.Provider();
  for (const char* p : {"Prompt", "Flush WinInet Password Cache", "Url Encoding"})
    line += std::string(" ") + p + "=" + Show(c.Property(p));
  Record(line);
}

void FakeBackend::CloseConnection(const server::Connection& c) {
  calls.push_back("CloseConnection " + c.url());
}

std::unique_ptr<server::Item> FakeBackend::CreateItem(server::ItemKind kind) {
  calls.push_back(std::string("Create ") + server::ItemKindName(kind));
  return std::make_unique<FakeItem>(*this, kind);
}

std::unique_ptr<server::Version> FakeBackend::CreateVersion() {
  calls.push_back("Create Version");
  return std::make_unique<FakeVersion>(*this);
}

}  // namespace orvex::testing
