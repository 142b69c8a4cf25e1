#include "reporter.h"

#include "platform/text.h"
#include "values.h"

namespace orvex::console {
namespace {

// The position of the password among a member's arguments, or -1: the
// connection members take (HostName, UserName, Domain, Password).
int PasswordArgument(std::string_view member) {
  if (platform::CompareNoCase(member, "ConnectOpen") == 0 ||
      platform::CompareNoCase(member, "ConnectOpenEx") == 0)
    return 3;
  return -1;
}

}  // namespace

void Reporter::Print(int line, const std::string& text) {
  if (json_) {
    nlohmann::ordered_json record;
    record["line"] = line;
    record["print"] = text;
    Record(record);
  } else {
    out_ << text << '\n' << std::flush;
  }
}

void Reporter::MemberCall(int line, std::string_view member, std::span<const Variant> args,
                          const Variant& result, const AutomationError* error,
                          const qzorvex::Failure* failure) {
  if (!json_) return;
  nlohmann::ordered_json record;
  record["line"] = line;
  record["member"] = std::string(member);
  nlohmann::ordered_json values = nlohmann::ordered_json::array();
  // A password never reaches the output, whatever its value.
  int password = PasswordArgument(member);
  for (size_t i = 0; i < args.size(); ++i)
    values.push_back(static_cast<int>(i) == password ? nlohmann::ordered_json("***")
                                                     : ToJson(args[i]));
  record["args"] = std::move(values);
  record["result"] = error ? nullptr : ToJson(result);
  if (error) {
    nlohmann::ordered_json e;
    e["number"] = error->number();
    e["description"] = error->what();
    record["error"] = std::move(e);
  } else {
    record["error"] = nullptr;
  }
  if (failure) {
    nlohmann::ordered_json f;
    f["code"] = failure->code;
    f["text"] = failure->text;
    f["number"] = failure->number;
    f["detail"] = failure->detail;
    record["failure"] = std::move(f);
  }
  Record(record);
}

void Reporter::Echo(const std::string& text) {
  if (!json_) out_ << text << '\n' << std::flush;
}

std::string Reporter::Where(int line) const {
  if (source_name_.empty()) return "line " + std::to_string(line) + ": ";
  return source_name_ + ":" + std::to_string(line) + ": ";
}

void Reporter::RuntimeError(int line, int32_t number, std::string_view description) {
  err_ << Where(line) << "error " << number << ": " << description << '\n' << std::flush;
}

void Reporter::SyntaxError(int line, std::string_view message) {
  err_ << Where(line) << "syntax error: " << message << '\n' << std::flush;
}

void Reporter::Interrupted(int line) {
  // On its own line after the "^C" the terminal echoes.
  err_ << '\n' << Where(line) << "interrupted\n" << std::flush;
}

void Reporter::Record(const nlohmann::ordered_json& record) {
  if (json_) out_ << JsonLine(record) << '\n' << std::flush;
}

void Reporter::Record(const nlohmann::json& record) {
  if (json_) {
    out_ << record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n'
         << std::flush;
  }
}

}  // namespace orvex::console
