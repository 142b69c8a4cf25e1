#include "docstore/seed.h"

#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "docstore/names.h"
#include "docstore/time_format.h"
#include "docstore/url.h"
#include "wire/xml_text.h"

namespace orvex::docstore {
namespace {

using Json = nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw std::runtime_error("seed: " + where + ": " + what);
}

std::string Str(const Json& j, const char* key, const std::string& where, bool required = false,
                const std::string& fallback = "") {
  if (!j.contains(key)) {
    if (required) Fail(where, std::string("missing \"") + key + "\"");
    return fallback;
  }
  if (!j[key].is_string()) Fail(where, std::string("\"") + key + "\" must be a string");
  return j[key].get<std::string>();
}

bool Flag(const Json& j, const char* key, const std::string& where, bool fallback = false) {
  if (!j.contains(key)) return fallback;
  if (!j[key].is_boolean()) Fail(where, std::string("\"") + key + "\" must be true or false");
  return j[key].get<bool>();
}

std::vector<std::string> Strings(const Json& j, const char* key, const std::string& where) {
  std::vector<std::string> out;
  if (!j.contains(key)) return out;
  if (!j[key].is_array()) Fail(where, std::string("\"") + key + "\" must be a list of strings");
  for (const auto& item : j[key]) {
    if (!item.is_string()) Fail(where, std::string("\"") + key + "\" must be a list of strings");
    out.push_back(item.get<std::string>());
  }
  return out;
}

PropName CheckedName(const std::string& full, const std::string& where) {
  PropName name = SplitPropertyName(full);
  if (!wire::IsXmlName(name.local)) Fail(where, "\"" + full + "\" is not a usable property name");
  return name;
}

// A property value in a seed: a string, a boolean, an integer, a list of
// strings, or {"type": "...", "value": ...} for any other wire type.
PropValue SeedValue(const Json& j, const std::string& where) {
  if (j.is_string()) return PropValue::String(j.get<std::string>());
  if (j.is_boolean()) return PropValue::Bool(j.get<bool>());
  if (j.is_number_integer()) return PropValue::Int(j.get<long long>());
  if (j.is_array()) {
    std::vector<std::string> values;
    for (const auto& item : j) {
      if (!item.is_string()) Fail(where, "list values must be strings");
      values.push_back(item.get<std::string>());
    }
    return PropValue::Multi(std::move(values));
  }
  if (j.is_object() && j.contains("type") && j["type"].is_string() && j.contains("value")) {
    PropValue v;
    v.type = j["type"].get<std::string>();
    if (v.IsMulti()) {
      if (!j["value"].is_array()) Fail(where, "a multi-valued value must be a list");
      for (const auto& item : j["value"])
        v.values.push_back(item.is_string() ? item.get<std::string>() : item.dump());
    } else {
      v.text = j["value"].is_string() ? j["value"].get<std::string>() : j["value"].dump();
    }
    return v;
  }
  Fail(where, "unsupported property value " + j.dump());
}

void SetProps(Store& store, int64_t id, const Json& j, const std::string& where) {
  if (!j.contains("properties")) return;
  if (!j["properties"].is_object()) Fail(where, "\"properties\" must be an object");
  for (const auto& [full, value] : j["properties"].items())
    store.SetProp(id, CheckedName(full, where), SeedValue(value, where + " " + full));
}

int64_t SeedTime(const Json& j, const std::string& where) {
  if (!j.contains("created")) return Store::Now();
  auto text = Str(j, "created", where);
  auto t = ParseIso(text);
  if (!t) Fail(where, "\"created\" must look like 2001-05-10T09:30:00Z");
  return *t;
}

class Loader {
 public:
  Loader(Store& store, Store::Txn& txn) : store_(store), txn_(txn) {}

  void Load(const Json& seed) {
    if (!seed.is_object()) Fail("top level", "a seed is a JSON object");
    for (const auto& host : Strings(seed, "hosts", "hosts")) store_.AddHost(host);
    if (seed.contains("users")) {
      if (!seed["users"].is_array()) Fail("users", "must be a list");
      for (const auto& user : seed["users"]) {
        std::string name = Str(user, "name", "users", true);
        store_.AddUser(name, Str(user, "password", "user " + name, true));
        users_.insert(name);
      }
    }
    if (users_.empty()) Fail("users", "a seed needs at least one user");
    // The workspace list lives at /Public/Workspaces, outside every workspace.
    Resource root = *store_.Find("/");
    Resource pub = store_.Create(root, "Public", Kind::kCollection, kClassFolder);
    store_.Create(pub, "Workspaces", Kind::kCollection, kClassFolder);
    Json default_schema = seed.value("schema", Json::object());
    if (seed.contains("workspaces")) {
      if (!seed["workspaces"].is_array()) Fail("workspaces", "must be a list");
      for (const auto& ws : seed["workspaces"]) LoadWorkspace(ws, default_schema);
    }
  }

 private:
  Resource Folder(const Resource& parent, const std::string& name, const std::string& content_class,
                  const std::string& where) {
    if (!IsValidSegment(name)) Fail(where, "\"" + name + "\" is not a usable name");
    if (store_.Find(JoinPath(parent.path, name))) Fail(where, "\"" + name + "\" exists twice");
    return store_.Create(parent, name, Kind::kCollection, content_class);
  }

  void LoadWorkspace(const Json& ws, const Json& default_schema) {
    std::string name = Str(ws, "name", "workspace", true);
    std::string where = "workspace " + name;
    Workspace w{name, Str(ws, "categories_folder", where, false, "Categories"),
                Str(ws, "schema_folder", where, false, "Schema")};
    if (name == "Public" || name.empty() || name[0] == '.') Fail(where, "that name is reserved");
    auto root = *store_.Find("/");
    Resource wr = Folder(root, name, kClassWorkspace, where);
    store_.AddWorkspace(w);
    store_.SetProp(wr.id, {kOfficeNs, "Description"},
                   PropValue::String(Str(ws, "description", where)));
    if (ws.contains("roles")) {
      if (!ws["roles"].is_object()) Fail(where, "\"roles\" must map user names to roles");
      for (const auto& [user, role] : ws["roles"].items()) {
        if (!users_.count(user)) Fail(where, "role for unknown user \"" + user + "\"");
        auto parsed = role.is_string() ? ParseRole(role.get<std::string>()) : std::nullopt;
        if (!parsed)
          Fail(where, "role of \"" + user + "\" must be none, reader, author or coordinator");
        store_.SetRole(name, user, *parsed);
      }
    }
    LoadSchema(wr, w, ws.value("schema", default_schema), where);
    Resource categories = Folder(wr, w.categories_folder, kClassCategoryFolder, where);
    if (ws.contains("categories")) LoadCategories(categories, ws["categories"], where);
    if (ws.contains("items")) LoadItems(wr, ws["items"], where, false);
  }

  void LoadSchema(const Resource& wr, const Workspace& w, const Json& schema,
                  const std::string& where) {
    Resource folder = Folder(wr, w.schema_folder, kClassFolder, where);
    store_.SetProp(folder.id, {kDav, "ishidden"}, PropValue::Bool(true));
    profiles_.clear();
    auto define = [&](const Json& item, const char* content_class, const std::string& what) {
      std::string id = Str(item, "id", where + " " + what, true);
      if (!IsValidSegment(id)) Fail(where, what + " id \"" + id + "\" must not hold \"/\"");
      Resource r = store_.Create(folder, id, Kind::kDocument, content_class);
      if (item.contains("title"))
        store_.SetProp(r.id, {kDav, "displayname"}, PropValue::String(Str(item, "title", id)));
      if (item.contains("description"))
        store_.SetProp(r.id, {kOfficeNs, "Description"},
                       PropValue::String(Str(item, "description", id)));
      return r;
    };
    std::set<std::string> dictionaries;
    for (const auto& d : schema.value("dictionaries", Json::array())) {
      Resource r = define(d, kClassDictionary, "dictionary");
      store_.SetProp(r.id, {kPublishingNs, kDictionaryValues},
                     PropValue::Multi(Strings(d, "values", r.name)));
      store_.SetProp(r.id, {kPublishingNs, kIsRestricted},
                     PropValue::Bool(Flag(d, "restricted", r.name)));
      dictionaries.insert(r.name);
    }
    std::set<std::string> properties;
    for (const auto& p : schema.value("properties", Json::array())) {
      Resource r = define(p, kClassPropertyDef, "property");
      CheckedName(r.name, where);
      std::string dictionary = Str(p, "dictionary", r.name);
      if (!dictionary.empty() && !dictionaries.count(dictionary))
        Fail(where, "property " + r.name + " names unknown dictionary " + dictionary);
      store_.SetProp(r.id, {kPublishingNs, kExtendedType},
                     PropValue::String(Str(p, "type", r.name, false, "Text")));
      store_.SetProp(
          r.id, {kExchDataNs, kDataType},
          PropValue::String(Str(p, "datatype", r.name, false,
                                Flag(p, "multivalued", r.name) ? "mv.string" : "string")));
      store_.SetProp(r.id, {kExchDataNs, kIsRequired},
                     PropValue::Bool(Flag(p, "required", r.name)));
      store_.SetProp(r.id, {kExchDataNs, kIsMultivalued},
                     PropValue::Bool(Flag(p, "multivalued", r.name)));
      store_.SetProp(r.id, {kExchDataNs, kDictionary}, PropValue::String(dictionary));
      // A property with a dictionary takes its values from it unless the seed
      // says "retrieved": false.
      store_.SetProp(r.id, {kExchDataNs, kIsRetrieved},
                     PropValue::Bool(Flag(p, "retrieved", r.name, !dictionary.empty())));
      store_.SetProp(r.id, {kDav, "isreadonly"}, PropValue::Bool(Flag(p, "readonly", r.name)));
      properties.insert(r.name);
    }
    std::vector<std::string> order;
    for (const auto& c : schema.value("profiles", Json::array())) {
      Resource r = define(c, kClassContentClassDef, "profile");
      auto props = Strings(c, "properties", r.name);
      for (const auto& p : props)
        if (p.rfind("urn:schemas-microsoft-com:", 0) == 0 && !properties.count(p))
          Fail(where, "profile " + r.name + " lists undefined property " + p);
      store_.SetProp(r.id, {kPublishingNs, kPropertyOrder}, PropValue::Multi(props));
      // "listed": false defines a profile the workspace's list leaves out.
      if (Flag(c, "listed", r.name, true)) order.push_back(r.name);
      profiles_.insert(r.name);
    }
    std::string fallback = order.empty() ? "" : order.front();
    default_profile_ = Str(schema, "default_profile", where, false, fallback);
    if (!default_profile_.empty() && !profiles_.count(default_profile_))
      Fail(where, "default profile " + default_profile_ + " is not defined");
    store_.SetProp(wr.id, {kPublishingNs, kDocumentProfiles}, PropValue::Multi(order));
    store_.SetProp(wr.id, {kPublishingNs, kDefaultDocumentProfile},
                   PropValue::String(default_profile_));
    store_.SetProp(wr.id, {kExchDataNs, kDefaultContentClass}, PropValue::String(default_profile_));
  }

  void LoadCategories(const Resource& parent, const Json& list, const std::string& where) {
    if (!list.is_array()) Fail(where, "\"categories\" must be a list");
    for (const auto& c : list) {
      std::string name = Str(c, "name", where + " category", true);
      Resource r = Folder(parent, name, kClassCategoryFolder, where + " category " + name);
      store_.SetProp(r.id, {kOfficeNs, "Description"},
                     PropValue::String(Str(c, "description", name)));
      if (c.contains("children")) LoadCategories(r, c["children"], where);
    }
  }

  void CheckProfile(const std::string& profile, const std::string& where) {
    if (!profiles_.count(profile)) Fail(where, "unknown profile " + profile);
  }

  void LoadItems(const Resource& parent, const Json& list, const std::string& where,
                 bool enhanced) {
    if (!list.is_array()) Fail(where, "\"items\" must be a list");
    for (const auto& item : list) {
      std::string name = Str(item, "name", where + " item", true);
      std::string type = Str(item, "type", name, true);
      std::string at = where + " " + JoinPath(parent.path, name);
      if (type == "document") {
        LoadDocument(parent, item, at, enhanced);
        continue;
      }
      if (type != "enhanced" && type != "standard")
        Fail(at, "type must be enhanced, standard or document");
      bool smart = type == "enhanced";
      Resource r = Folder(parent, name, smart ? kClassSmartFolder : kClassKnowledgeFolder, at);
      if (item.contains("description"))
        store_.SetProp(r.id, {kOfficeNs, "Description"},
                       PropValue::String(Str(item, "description", at)));
      if (Flag(item, "hidden", at)) store_.SetProp(r.id, {kDav, "ishidden"}, PropValue::Bool(true));
      if (item.contains("profiles")) {
        auto profiles = Strings(item, "profiles", at);
        for (const auto& p : profiles) CheckProfile(p, at);
        store_.SetProp(r.id, {kPublishingNs, kDocumentProfiles}, PropValue::Multi(profiles));
      }
      if (item.contains("default_profile")) {
        std::string p = Str(item, "default_profile", at);
        CheckProfile(p, at);
        store_.SetProp(r.id, {kPublishingNs, kDefaultDocumentProfile}, PropValue::String(p));
      }
      SetProps(store_, r.id, item, at);
      if (item.contains("items")) LoadItems(r, item["items"], where, smart);
    }
  }

  std::string KnownUser(const Json& item, const char* key, const std::string& where) {
    std::string user = Str(item, key, where);
    if (!user.empty() && !users_.count(user)) Fail(where, "unknown user \"" + user + "\"");
    return user;
  }

  void LoadDocument(const Resource& parent, const Json& item, const std::string& where,
                    bool enhanced) {
    std::string name = Str(item, "name", where, true);
    if (!IsValidSegment(name)) Fail(where, "not a usable name");
    if (store_.Find(JoinPath(parent.path, name))) Fail(where, "exists twice");
    std::string profile = Str(item, "profile", where, false, default_profile_);
    if (!profile.empty()) CheckProfile(profile, where);
    Resource doc = store_.Create(parent, name, Kind::kDocument, profile);
    doc.content_type = Str(item, "content_type", where, false, "application/octet-stream");
    doc.created = SeedTime(item, where);
    SetProps(store_, doc.id, item, where);
    if (Flag(item, "hidden", where))
      store_.SetProp(doc.id, {kDav, "ishidden"}, PropValue::Bool(true));
    if (Flag(item, "hidden_in_portal", where))
      store_.SetProp(doc.id, {kPublishingNs, kIsHiddenInPortal}, PropValue::Bool(true));
    std::string content = Str(item, "content", where);
    std::string checked_out_by = KnownUser(item, "checked_out_by", where);
    const Json versions = item.value("versions", Json::array());
    if (!enhanced) {
      if (!versions.empty() || !checked_out_by.empty() || item.contains("published"))
        Fail(where, "only documents of enhanced folders have versions or check-outs");
      SetContent(doc, content);
      store_.Update(doc);
      return;
    }
    // Each listed version is one check-in; the last one is the document now.
    for (const auto& v : versions) {
      std::string vwhere = where + " version";
      std::string vcontent = Str(v, "content", vwhere);
      SetProps(store_, doc.id, v, vwhere);
      SetContent(doc, vcontent);
      doc.vminor += 1;
      Version rec;
      rec.doc = doc.id;
      rec.seq = store_.NextVersionSeq(doc.id);
      rec.label = std::to_string(doc.vmajor) + "." + std::to_string(doc.vminor);
      rec.comment = Str(v, "comment", vwhere);
      rec.created = SeedTime(v, vwhere);
      rec.user = KnownUser(v, "user", vwhere);
      if (rec.user.empty()) Fail(vwhere, "needs \"user\"");
      rec.blob = doc.blob;
      rec.length = doc.length;
      rec.content_type = doc.content_type;
      rec.props = store_.Props(doc.id);
      store_.AddVersion(rec);
      doc.state = kStateCheckedIn;
    }
    if (Flag(item, "published", where)) {
      auto latest = store_.LatestVersion(doc.id);
      if (!latest) Fail(where, "a published document needs a version");
      doc.vmajor += 1;
      doc.vminor = 0;
      store_.SetVersionLabel(latest->id, std::to_string(doc.vmajor) + ".0");
      doc.state = kStateApproved;
    }
    if (versions.empty()) {
      // Never checked in: still checked out to whoever created it, unless the
      // seed says "checked_out": false (the creator undid the check-out).
      SetContent(doc, content);
      doc.state = kStateCreated;
      if (Flag(item, "checked_out", where, true)) {
        std::string creator = KnownUser(item, "created_by", where);
        if (creator.empty()) creator = checked_out_by;
        if (creator.empty()) Fail(where, "a document without versions needs \"created_by\"");
        doc.checked_out_by = creator;
      } else if (!checked_out_by.empty()) {
        Fail(where, "\"checked_out\": false and \"checked_out_by\" contradict each other");
      }
    } else if (!checked_out_by.empty()) {
      doc.state = kStateCheckedOut;
      doc.checked_out_by = checked_out_by;
    }
    store_.Update(doc);
    if (!doc.checked_out_by.empty()) {
      Resource wc = store_.CreateWorkingCopy(
          doc, std::string(kWorkingCopiesPath) + "/" + std::to_string(doc.id));
      if (item.contains("working_copy")) {
        const Json& w = item["working_copy"];
        if (w.contains("content")) {
          SetContent(wc, Str(w, "content", where));
          store_.Update(wc);
        }
        SetProps(store_, wc.id, w, where + " working copy");
      }
    }
  }

  void SetContent(Resource& r, const std::string& content) {
    txn_.ReleaseBlobLater(r.blob);
    if (content.size() <= Store::kInlineContentLimit) {
      r.blob = content.empty() ? std::string() : store_.AddInlineContent(content);
    } else {
      r.blob = store_.PutContent(content);
      written_.push_back(r.blob);
    }
    r.length = static_cast<int64_t>(content.size());
  }

 public:
  // Content written so far, flushed with the commit or removed if the seed
  // is refused.
  std::vector<std::string> written_;

 private:
  Store& store_;
  Store::Txn& txn_;
  std::set<std::string> users_;
  std::set<std::string> profiles_;
  std::string default_profile_;
};

}  // namespace

void LoadSeed(Store& store, const std::string& json_text) {
  Json seed = Json::parse(json_text, nullptr, false);
  if (seed.is_discarded()) throw std::runtime_error("seed: not valid JSON");
  // One transaction and one flush: small content goes into the database,
  // content files (of large documents) are written unflushed and flushed
  // together (syncfs) just before the commit that refers to them, which
  // itself flushes the database log once.
  Store::Txn txn(store);
  if (!store.IsEmpty()) return;
  Loader loader(store, txn);
  try {
    loader.Load(seed);
    if (!loader.written_.empty()) store.SyncContent();
    txn.Commit();
  } catch (...) {
    for (const auto& blob : loader.written_) store.RemoveContent(blob);
    throw;
  }
}

}  // namespace orvex::docstore
