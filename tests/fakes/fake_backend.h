// A recording fake of the server access layer for engine and automation
// tests: it serves items and listings from maps set up by the test, fails on
// request with a given error number, and logs every call with the exact
// values passed.
#ifndef ORVEX_TESTS_FAKES_FAKE_BACKEND_H_
#define ORVEX_TESTS_FAKES_FAKE_BACKEND_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "server/backend.h"
#include "server/connection.h"
#include "server/fields.h"
#include "server/schema.h"

namespace orvex::testing {

// The line logged for an Open of `what` ("Kind URL") with no create or
// open options: `cnx` names the active connection ("none", "open"), and
// the credentials passed are CORP\jones's or none.
std::string OpenCall(const std::string& what, const std::string& cnx, bool jones, int32_t mode = 0);

class FakeBackend : public server::Backend {
 public:
  // Log lines, one per call (documents also log "OpenDocument URL
  // options=N", "Save URL", and their content stream "Stream Type=1",
  // "Stream SetEOS", "Stream LoadFromFile PATH", "Stream Flush"), e.g.
  //   "OpenConnection http://docs/Public/Workspaces user=CORP\jones password=secret options=-1
  //    provider=MSDAIPP.DSO Prompt=4 Flush WinInet Password Cache=True Url Encoding=1"
  //   "Open WorkspaceRoot http://docs/Public/Workspaces cnx=open mode=0 create=-1 options=0
  //    user= password="
  std::vector<std::string> calls;

  // Server state: properties of existing items by URL, and the rows a
  // listing of a URL answers.
  std::map<std::string, server::FieldMap> items;
  std::map<std::string, std::vector<server::Fields>> listings;
  // The rows a version object's history of a document URL answers.
  std::map<std::string, std::vector<server::Fields>> histories;

  // Failures: the first call whose log line starts with a key throws
  // server::Error with the mapped number.
  std::map<std::string, int32_t> failures;

  // The log lines that start with `prefix`.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

  // Adds an item (and makes it listable under its parent URL's listing).
  void AddItem(const std::string& url, server::FieldMap props, bool list_under_parent = true);

  void OpenConnection(const server::Connection& connection, const std::string& url,
                      const std::string& user, const std::string& password,
                      int32_t options) override;
  void CloseConnection(const server::Connection& connection) override;
  std::unique_ptr<server::Item> CreateItem(server::ItemKind kind) override;
  // Version calls log "CheckOut URL comment=C", "CheckIn URL comment=C",
  // "Publish URL", "History URL flags=F".
  std::unique_ptr<server::Version> CreateVersion() override;

  // A schema object (profile, property definition, dictionary) found by `id`
  // in the schema location `location` (a workspace's schema-collection-ref).
  // Look-ups log "ContentClassDefinition <location>/<id>",
  // "PropertyDefinition ..." and "DictionaryObject ...".
  void AddSchemaObject(const std::string& location, const std::string& id, server::FieldMap props);
  std::unique_ptr<server::SchemaDefinition> LookUpSchema(const std::string& call,
                                                         server::SchemaKind kind,
                                                         const std::string& location,
                                                         const std::string& id);

  // Records `line` and throws when a failure is scripted for it.
  void Record(const std::string& line);
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_FAKES_FAKE_BACKEND_H_
