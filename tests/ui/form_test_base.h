// FormTest: a fixture for forms shown directly (no automation object, no
// server) on the toolkit named by the test parameter, skipped where this build
// lacks it; Qt runs on the offscreen platform unless the environment already
// names one. A plain scripted person acts on the plans a test gives it, and
// every record the forms leave is kept in order. TearDown removes the person
// and the observer only: a test that changes the thread language restores it
// itself.
#ifndef ORVEX_TESTS_UI_FORM_TEST_BASE_H_
#define ORVEX_TESTS_UI_FORM_TEST_BASE_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "support/form_records.h"

namespace orvex::testing {

class FormTest : public ::testing::TestWithParam<std::string> {
 protected:
  using json = nlohmann::json;

  void SetUp() override {
    if (!ui::HasToolkit(GetParam())) GTEST_SKIP() << GetParam() << " is not in this build";
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ui::UseToolkit(GetParam());
    agent_ = std::make_shared<ui::ScriptedAgent>();
    ui::SetUserAgent(agent_);
    ui::SetObserver([this](const json& r) { records_.push_back(r); });
  }
  void TearDown() override {
    ui::SetUserAgent(nullptr);
    ui::SetObserver(nullptr);
  }

  // The records of one kind ("form", "msgbox", "ui_problem"), in order.
  std::vector<json> Of(const std::string& kind) const {
    std::vector<json> out;
    for (const auto& r : records_) {
      if (r.contains(kind)) out.push_back(r[kind]);
    }
    return out;
  }

  std::shared_ptr<ui::ScriptedAgent> agent_;
  std::vector<json> records_;
};

}  // namespace orvex::testing

#endif  // ORVEX_TESTS_UI_FORM_TEST_BASE_H_
