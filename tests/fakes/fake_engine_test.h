// FakeEngineTest: the engine against the recording fake, logged on as
// CORP\jones (password "secret") to host "docs", whose workspace list is at
// /Public/Workspaces. Tests add the workspaces and items they need.
#ifndef ORVEX_TESTS_FAKES_FAKE_ENGINE_TEST_H_
#define ORVEX_TESTS_FAKES_FAKE_ENGINE_TEST_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/server_class1.h"
#include "fakes/fake_backend.h"
#include "server/names.h"

namespace orvex::testing {

class FakeEngineTest : public ::testing::Test {
 protected:
  static constexpr char kRoot[] = "http://docs/Public/Workspaces";

  FakeEngineTest() : backend_(std::make_shared<FakeBackend>()), engine_(backend_) {
    backend_->AddItem(kRoot, {}, false);
    engine_.HostName = "docs";
    engine_.WorkPub = "/Public/Workspaces";
    engine_.LoginUser = "CORP\\jones";
    engine_.Password = "secret";
  }

  // Workspace http://docs/<name>, with `more` over its categories folder
  // "Categories" and its schema location <url>/Schema.
  void AddWorkspace(const std::string& name, server::FieldMap more = {}) {
    const std::string url = "http://docs/" + name;
    more.emplace(server::kPropCategoriesFolder, Variant("Categories"));
    more.emplace(server::kPropSchemaCollectionRef, Variant(url + "/Schema"));
    backend_->AddItem(url, std::move(more), false);
  }

  // Connects and makes Sales current; the calls that took are forgotten.
  void OpenSales() {
    ASSERT_TRUE(engine_.ConnectOpen());
    ASSERT_TRUE(engine_.SetWorkspace("Sales"));
    backend_->calls.clear();
  }

  size_t Count(const std::string& prefix) const {
    return backend_->CallsStartingWith(prefix).size();
  }

  // The code a call left in ErrorCode when its answer is a refusal (False,
  // or a count of -1); -1 when the call was not refused.
  int32_t Refused(bool answer) const {
    return answer ? -1 : static_cast<int32_t>(engine_.ErrorCode);
  }
  int32_t Refused(int16_t count) const {
    return count != -1 ? -1 : static_cast<int32_t>(engine_.ErrorCode);
  }

  std::shared_ptr<FakeBackend> backend_;
  engine::ServerClass1 engine_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_FAKES_FAKE_ENGINE_TEST_H_
