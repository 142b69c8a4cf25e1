// Where a running script's output goes.
//
// In text mode Print output goes to `out` and errors to `err`. In JSON mode
// `out` gets one JSON object per line: one per member call of an automation
// object and one per Print; errors still go to `err` as text. Every line is
// flushed as it is written, so a reader sees it at once.
#ifndef ORVEX_TOOLS_ORVEX_REPORTER_H_
#define ORVEX_TOOLS_ORVEX_REPORTER_H_

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/dispatch.h"
#include "qzorvex/errors.h"

namespace orvex::console {

class Reporter {
 public:
  Reporter(std::ostream& out, std::ostream& err, bool json) : out_(out), err_(err), json_(json) {}

  bool json() const { return json_; }

  // The script file being run, named in error lines ("demo.vbs:12: ...");
  // empty for a script from standard input or the prompt ("line 12: ...").
  void set_source_name(std::string name) { source_name_ = std::move(name); }

  // A Print statement's output (its values already joined).
  void Print(int line, const std::string& text);

  // A finished member call: the arguments as they are after the call (by
  // reference outputs included), and either its result or its error.
  // The password argument of ConnectOpen and ConnectOpenEx is written as
  // "***". Written in JSON mode only:
  //   {"line":N,"member":"...","args":[...],"result":...,"error":null}
  //   {"line":N,"member":"...","args":[...],"result":null,
  //    "error":{"number":E,"description":"..."}}
  // A call that left an error code on its connection also has
  //    "failure":{"code":C,"text":"...","number":N,"detail":"..."}
  // (the code's words, and what the provider said, when it said anything).
  void MemberCall(int line, std::string_view member, std::span<const Variant> args,
                  const Variant& result, const AutomationError* error,
                  const qzorvex::Failure* failure = nullptr);

  // The value of a call typed at the interactive prompt (text mode only).
  void Echo(const std::string& text);

  // A run-time error that is not handled: "FILE:N: error E: description"
  // ("line N: ..." without a file name).
  void RuntimeError(int line, int32_t number, std::string_view description);

  // "FILE:N: syntax error: message" ("line N: ..." without a file name).
  void SyntaxError(int line, std::string_view message);

  // A run abandoned on Ctrl-C while line N ran: "line N: interrupted", on a
  // line of its own.
  void Interrupted(int line);

  // Any other record (for example a dialog shown while a call ran), as one
  // JSON line; ignored in text mode.
  void Record(const nlohmann::ordered_json& record);
  void Record(const nlohmann::json& record);

 private:
  // Where an error line starts: "FILE:N: " or "line N: ".
  std::string Where(int line) const;

  std::ostream& out_;
  std::ostream& err_;
  bool json_;
  std::string source_name_;
};

}  // namespace orvex::console

#endif  // ORVEX_TOOLS_ORVEX_REPORTER_H_
