// Builders of seed texts for the reference server (the format of
// docs/docstore.md), for tests and benches that need a store other than the
// sample one.
//
//   seed::Store({seed::Workspace("Sales", {{"CORP\\jones", "author"}},
//                                {seed::Folder("Reports", true, {seed::Document("a.txt")})})})
#ifndef ORVEX_TESTS_SUPPORT_SEED_H_
#define ORVEX_TESTS_SUPPORT_SEED_H_

#include <nlohmann/json.hpp>
#include <string>

namespace orvex::testing::seed {

using Json = nlohmann::json;

inline Json User(const std::string& name, const std::string& password) {
  return {{"name", name}, {"password", password}};
}

// The users of the sample store: CORP\jones and CORP\smith (password
// "secret") and guest (password "guest").
inline Json SampleUsers() {
  return Json::array(
      {User("CORP\\jones", "secret"), User("CORP\\smith", "secret"), User("guest", "guest")});
}

// A schema for stores that need no more than documents: the one profile
// Document, without properties, which is the default.
inline Json PlainSchema() {
  return {{"properties", Json::array()},
          {"profiles", Json::array({{{"id", "urn:content-classes:document"},
                                     {"title", "Document"},
                                     {"properties", Json::array()}}})},
          {"default_profile", "urn:content-classes:document"}};
}

// A workspace described as "<name> documents", with `roles` (user name to
// "reader", "author" or "coordinator") and the items at its top.
inline Json Workspace(const std::string& name, Json roles, Json items = Json::array()) {
  return {{"name", name},
          {"description", name + " documents"},
          {"roles", std::move(roles)},
          {"items", std::move(items)}};
}

// An enhanced (publishing) or standard document folder.
inline Json Folder(const std::string& name, bool enhanced, Json items = Json::array()) {
  return {
      {"name", name}, {"type", enhanced ? "enhanced" : "standard"}, {"items", std::move(items)}};
}

// A document whose content is its name, with `more` settings over that.
inline Json Document(const std::string& name, const Json& more = Json::object()) {
  Json d = {{"name", name}, {"type", "document"}, {"content", name}};
  d.update(more);
  return d;
}

// The seed text of a store answering for `host` (a null schema: the
// server's own).
inline std::string Store(Json workspaces, Json schema = PlainSchema(), Json users = SampleUsers(),
                         const std::string& host = "docs") {
  Json store = {
      {"hosts", {host}}, {"users", std::move(users)}, {"workspaces", std::move(workspaces)}};
  if (!schema.is_null()) store["schema"] = std::move(schema);
  return store.dump();
}

}  // namespace orvex::testing::seed

#endif  // ORVEX_TESTS_SUPPORT_SEED_H_
