// An in-process docstore on an ephemeral loopback port, with its host names
// mapped to it, for tests of the library over real HTTP.
//
// The transport is the run's: in clear by default; over TLS when the
// environment has ORVEX_TEST_TLS=1 (the suite's "tls." entries in CTest).
// Then every store the fixture starts serves a certificate of an authority
// made for the run, and hosts are reached over https trusting that
// authority alone, so the same tests show the library behaves over TLS as
// it does in clear.
//
// The store is where docstore::testing::StoreLocation() says: in memory, or,
// when the environment has ORVEX_TEST_POSTGRES (the suite's "postgresql."
// entries), a database of its own on the tests' PostgreSQL cluster, so the
// same tests show the library works against a node of several.
#ifndef ORVEX_TESTS_INTEGRATION_DOCSTORE_FIXTURE_H_
#define ORVEX_TESTS_INTEGRATION_DOCSTORE_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "automation/connect_orvex.h"
#include "docstore/server.h"
#include "platform/host_map.h"
#include "platform/host_settings.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "support/docstore_client.h"
#include "support/form_records.h"
#include "support/temp_dir.h"
#include "support/test_certificates.h"

namespace orvex::testing {

// The run's TLS material: an authority and the certificate it issued for
// 127.0.0.1 and localhost, made once per process; none in clear.
struct TlsRun {
  std::unique_ptr<TempDir> dir;
  std::unique_ptr<TestAuthority> authority;
  CertificateFiles certificate;
};
inline const TlsRun* TheTlsRun() {
  static const std::unique_ptr<TlsRun> run = []() -> std::unique_ptr<TlsRun> {
    const char* tls = std::getenv("ORVEX_TEST_TLS");
    if (tls == nullptr || std::string(tls) != "1") return nullptr;
    auto made = std::make_unique<TlsRun>();
    made->dir = std::make_unique<TempDir>("tls-run");
    made->authority = std::make_unique<TestAuthority>(made->dir->path(), "run");
    made->certificate = made->authority->Issue("store", {"127.0.0.1", "localhost"});
    return made;
  }();
  return run.get();
}

class DocstoreTest : public ::testing::Test {
 protected:
  // Starts the sample store, or the store of `seed_json` when given.
  void StartStore(const std::string& seed_json = "") {
    docstore::ServerOptions options = StoreOptions();
    options.seed_json = seed_json;
    StartStore(options);
  }
  // Starts a store with `options` (from StoreOptions()) and reaches its
  // host names.
  void StartStore(const docstore::ServerOptions& options) {
    store_ = std::make_unique<docstore::Server>(options);
    store_->Start();
    for (const std::string& host : store_->host_names()) Reach(host, store_->port());
  }
  void SetUp() override { StartStore(); }
  void TearDown() override {
    ui::SetObserver(nullptr);
    ui::SetUserAgent(nullptr);
    if (store_) {
      for (const std::string& host : store_->host_names()) platform::RemoveHostSetting(host, "");
      store_->Stop();
    }
  }

  // Whether this run reaches the store over TLS.
  static bool OverTls() { return TheTlsRun() != nullptr; }
  // The certificate a TLS end in front of the store serves; null in clear.
  static const CertificateFiles* TlsCertificate() {
    return OverTls() ? &TheTlsRun()->certificate : nullptr;
  }
  // Options for a store in this run's transport and on this run's
  // backend (kept in `store_dir` on SQLite).
  static docstore::ServerOptions StoreOptions(const std::string& store_dir = "") {
    docstore::ServerOptions options;
    options.store_dir = docstore::testing::StoreLocation(store_dir);
    if (const CertificateFiles* c = TlsCertificate()) {
      options.tls_cert_file = c->cert;
      options.tls_key_file = c->key;
    }
    return options;
  }
  // The settings that reach `host` at 127.0.0.1:`port` in this run's
  // transport, as a settings-file section.
  static std::string HostSection(const std::string& host, uint16_t port) {
    std::string section = "[" + host + "]\nurl = " + (OverTls() ? "https" : "http") +
                          "://127.0.0.1:" + std::to_string(port) + "/\n";
    if (OverTls()) section += "ca-file = " + TheTlsRun()->authority->ca_file() + "\n";
    return section;
  }
  // Reaches `host` at 127.0.0.1:`port` from now on.
  static void Reach(const std::string& host, uint16_t port) {
    if (!OverTls()) return platform::MapHost(host, {"127.0.0.1", port});
    platform::SetHostSetting(host, "url", "https://127.0.0.1:" + std::to_string(port) + "/");
    platform::SetHostSetting(host, "ca-file", TheTlsRun()->authority->ca_file());
  }

  // A new automation object that connects without the progress window.
  static std::unique_ptr<automation::ConnectOrvex> NewObject() {
    auto obj = std::make_unique<automation::ConnectOrvex>();
    obj->Properties().ShowDialog = false;
    return obj;
  }

  // Calls method `name` through its dispatch id, as a host does; by-reference
  // outputs come back in `args`.
  static Variant Call(automation::ConnectOrvex& obj, std::string_view name,
                      std::vector<Variant>& args) {
    return obj.Invoke(*obj.GetIdOfName(name), InvokeKind::kMethod, args);
  }
  static Variant Call(automation::ConnectOrvex& obj, std::string_view name,
                      std::vector<Variant>&& args = {}) {
    return Call(obj, name, args);
  }

  // The error code a member call leaves when it answers False (the Ex
  // entry's for an Ex member), or -1 when it answers anything else.
  static int32_t Refusal(automation::ConnectOrvex& obj, std::string_view name,
                         std::vector<Variant> args) {
    if (Call(obj, name, args) != Variant(false)) return -1;
    return name.ends_with("Ex") ? obj.GetLastErrorEx(0) : obj.GetLastError();
  }

  // The rows of a listing: `info` with `args` (by-reference outputs come
  // back in them) counts them, then `get` reads each (answering True) into
  // `outputs` by-reference arguments after the index; each row as the
  // arguments it filled, the index first.
  static std::vector<std::vector<Variant>> Rows(automation::ConnectOrvex& obj,
                                                std::string_view info, std::vector<Variant>& args,
                                                std::string_view get, size_t outputs) {
    const int16_t n = Call(obj, info, args).ToInt16();
    std::vector<std::vector<Variant>> rows;
    for (int16_t i = 0; i < n; ++i) {
      std::vector<Variant> row(outputs + 1);
      row[0] = Variant(i);
      EXPECT_EQ(Call(obj, get, row), Variant(true)) << get << " " << i;
      rows.push_back(std::move(row));
    }
    return rows;
  }
  static std::vector<std::vector<Variant>> Rows(automation::ConnectOrvex& obj,
                                                std::string_view info, std::vector<Variant>&& args,
                                                std::string_view get, size_t outputs) {
    return Rows(obj, info, args, get, outputs);
  }
  // The folders listed under `path`, each with "+" when enhanced and "!"
  // when read-only (GetDocFolderInfo / GetDocFolder).
  static std::vector<std::string> Folders(automation::ConnectOrvex& obj, const std::string& path) {
    std::vector<std::string> out;
    for (const auto& r : Rows(obj, "GetDocFolderInfo", {Variant(path)}, "GetDocFolder", 3))
      out.push_back(r[1].ToString() + (r[2].ToBool() ? "+" : "") + (r[3].ToBool() ? "!" : ""));
    return out;
  }
  // The categories under `path`, each with "!" when read-only and "+" when
  // it has children (GetCategoryInfo / GetCategory).
  static std::vector<std::string> Categories(automation::ConnectOrvex& obj,
                                             const std::string& path) {
    std::vector<std::string> out;
    for (const auto& r : Rows(obj, "GetCategoryInfo", {Variant(path)}, "GetCategory", 4))
      out.push_back(r[1].ToString() + (r[3].ToBool() ? "!" : "") + (r[4].ToBool() ? "+" : ""));
    return out;
  }
  // The documents listed in `folder` as "name status", "!" after the name
  // when read-only (GetFileInfo / GetFileData).
  static std::vector<std::string> Listing(automation::ConnectOrvex& obj,
                                          const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& r : Rows(obj, "GetFileInfo", {Variant(folder)}, "GetFileData", 3))
      out.push_back(r[1].ToString() + (r[2].ToBool() ? "!" : "") + " " + r[3].ToString());
    return out;
  }
  // The values of listed document `index` as "title=data" ("*=" when
  // multi-valued), and its profile's title in `profile`.
  static std::vector<std::string> Values(automation::ConnectOrvex& obj, int16_t index,
                                         std::string* profile = nullptr) {
    std::vector<Variant> info{Variant(index), Variant()};
    std::vector<std::string> out;
    for (const auto& r : Rows(obj, "GetFileContentInfo", info, "GetFileContent", 3))
      out.push_back(r[1].ToString() + (r[2].ToBool() ? "*=" : "=") + r[3].ToString());
    if (profile != nullptr) *profile = info[1].ToString();
    return out;
  }

  // A fresh document object opened (one PROPFIND) on the document at `path`
  // in Sales, with the credentials of `obj`'s default connection.
  static std::unique_ptr<server::Item> Document(automation::ConnectOrvex& obj,
                                                const std::string& path) {
    auto document = obj.DefaultServer().backend().CreateItem(server::ItemKind::kDocument);
    server::BindArgs args;
    args.url = "http://docs/Sales/" + path;
    args.user = obj.DefaultServer().LoginUser;
    args.password = obj.DefaultServer().Password;
    document->Open(args);
    return document;
  }

  // A new object connected to host "docs" as `user` with Sales current.
  static std::unique_ptr<automation::ConnectOrvex> InSales(const std::string& user,
                                                           const std::string& domain,
                                                           const std::string& password) {
    auto obj = NewObject();
    EXPECT_TRUE(obj->ConnectOpen("docs", user, domain, password));
    EXPECT_EQ(Call(*obj, "SetWorkspace", {Variant("Sales")}), Variant(true));
    return obj;
  }

  // Shows forms on the headless toolkit, answered by agent_ as the test
  // plans, and keeps in records_ what the toolkit reports, until the test
  // ends.
  void ScriptForms() {
    ui::UseToolkit("headless");
    agent_ = std::make_shared<ui::ScriptedAgent>();
    ui::SetUserAgent(agent_);
    ui::SetObserver([this](const nlohmann::json& r) { records_.push_back(r); });
  }
  // The forms among the records, in the order they were shown.
  std::vector<nlohmann::json> Forms() const {
    std::vector<nlohmann::json> forms;
    for (const auto& r : records_)
      if (r.contains("form")) forms.push_back(r["form"]);
    return forms;
  }

  std::unique_ptr<docstore::Server> store_;
  std::shared_ptr<ui::ScriptedAgent> agent_;
  std::vector<nlohmann::json> records_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_INTEGRATION_DOCSTORE_FIXTURE_H_
