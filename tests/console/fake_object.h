// A scriptable stand-in for an automation object: members are lambdas
// registered by name, and every call is recorded.
#ifndef ORVEX_TESTS_CONSOLE_FAKE_OBJECT_H_
#define ORVEX_TESTS_CONSOLE_FAKE_OBJECT_H_

#include <functional>
#include <string>
#include <vector>

#include "platform/dispatch.h"
#include "platform/text.h"

namespace orvex::console {

class FakeObject : public Dispatch {
 public:
  using Member = std::function<Variant(InvokeKind kind, std::span<Variant> args)>;

  struct Call {
    std::string member;
    InvokeKind kind;
    std::vector<Variant> args;  // as the member received them
  };

  void Add(std::string name, Member member) {
    members_.push_back({std::move(name), std::move(member)});
  }

  std::optional<int32_t> GetIdOfName(std::string_view name) const override {
    for (size_t i = 0; i < members_.size(); ++i)
      if (platform::CompareNoCase(members_[i].first, name) == 0) return static_cast<int32_t>(i);
    return std::nullopt;
  }

  Variant Invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args) override {
    auto& [name, member] = members_.at(static_cast<size_t>(dispid));
    calls.push_back({name, kind, std::vector<Variant>(args.begin(), args.end())});
    return member(kind, args);
  }

  std::vector<Call> calls;

 private:
  std::vector<std::pair<std::string, Member>> members_;
};

}  // namespace orvex::console

#endif  // ORVEX_TESTS_CONSOLE_FAKE_OBJECT_H_
