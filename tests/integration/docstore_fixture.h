// An in-process docstore on an ephemeral loopback port, with its host names
// mapped to it, for tests of the library over real HTTP.
#ifndef ORVEX_TESTS_INTEGRATION_DOCSTORE_FIXTURE_H_
#define ORVEX_TESTS_INTEGRATION_DOCSTORE_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "automation/connect_orvex.h"
#include "docstore/server.h"
#include "platform/host_map.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"

namespace orvex::testing {

class DocstoreTest : public ::testing::Test {
 protected:
  // Starts the sample store, or the store of `seed_json` when given.
  void StartStore(const std::string& seed_json = "") {
    docstore::ServerOptions options;
    options.seed_json = seed_json;
    store_ = std::make_unique<docstore::Server>(options);
    store_->Start();
    for (const std::string& host : store_->host_names())
      platform::MapHost(host, {"127.0.0.1", store_->port()});
  }
  void SetUp() override { StartStore(); }
  void TearDown() override {
    ui::SetObserver(nullptr);
    ui::SetUserAgent(nullptr);
    if (store_) {
      for (const std::string& host : store_->host_names()) platform::UnmapHost(host);
      store_->Stop();
    }
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
  // Control `name` of a shown form; null when it has none.
  static const nlohmann::json& Control(const nlohmann::json& form, const std::string& name) {
    for (const auto& c : form["controls"])
      if (c["name"] == name) return c;
    static const nlohmann::json none;
    return none;
  }

  std::unique_ptr<docstore::Server> store_;
  std::shared_ptr<ui::ScriptedAgent> agent_;
  std::vector<nlohmann::json> records_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_INTEGRATION_DOCSTORE_FIXTURE_H_
