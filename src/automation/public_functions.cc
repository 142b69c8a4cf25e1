// The free functions of the public interface: object creation, the host
// map, the upload progress, the dialogs' toolkit and scripted user, the
// library's version.
#include <stdexcept>
#include <utility>

#include "automation/create_object.h"
#include "automation/member_reference.h"
#include "engine/error_text.h"
#include "platform/host_map.h"
#include "platform/host_settings.h"
#include "platform/hosts_file.h"
#include "platform/language.h"
#include "platform/transfer_progress.h"
#include "platform/ui/scripted_agent.h"
#include "platform/ui/session.h"
#include "platform/ui/toolkit.h"
#include "qzorvex/create_object.h"
#include "qzorvex/errors.h"
#include "qzorvex/host_map.h"
#include "qzorvex/reference.h"
#include "qzorvex/ui.h"
#include "qzorvex/upload_progress.h"
#include "qzorvex/version.h"
#include "qzorvex/wire_trace.h"
#include "server/error.h"
#include "server/webdav/wire_trace.h"

namespace qzorvex {

const char* Version() { return QZORVEX_VERSION_STRING; }

std::string MemberReference(std::string_view name) { return orvex::automation::MemberEntry(name); }

std::string ErrorText(int32_t code) {
  return orvex::engine::ErrorTextOf(code, orvex::platform::ThreadLanguage());
}

std::string ErrorText(int32_t code, int language) {
  return orvex::engine::ErrorTextOf(code, language);
}

std::shared_ptr<Dispatch> CreateObject(std::string_view name) {
  return orvex::automation::CreateObject(name);
}

void SetHostSetting(std::string_view host, std::string_view key, std::string_view value) {
  orvex::platform::SetHostSetting(host, key, value);
}

std::optional<std::string> HostSetting(std::string_view host, std::string_view key) {
  return orvex::platform::HostSetting(host, key);
}

void LoadHostSettings(const std::string& path) { orvex::platform::LoadHostsFile(path); }

void ClearHostSettings() { orvex::platform::ClearHostSettings(); }

void SetWireTrace(const std::string& path) { orvex::server::webdav::SetWireTraceFile(path); }

static_assert(kUploadCancelled == orvex::server::kErrCancelled);

UploadProgress SetUploadProgress(UploadProgress progress) {
  return orvex::platform::SetThreadUploadProgress(std::move(progress));
}

void MapHost(std::string_view host, std::string_view address) {
  orvex::platform::SetHostSetting(host, "url", orvex::platform::HostUrlFor(address));
}

void UnmapHost(std::string_view host) { orvex::platform::UnmapHost(host); }

void ClearHostMap() { orvex::platform::ClearHostMap(); }

std::vector<std::string> ToolkitNames() { return orvex::ui::ToolkitNames(); }

void UseToolkit(std::string_view name) { orvex::ui::UseToolkit(name); }

std::string CurrentToolkitName() { return std::string(orvex::ui::CurrentToolkitName()); }

struct ScriptedUser::State {
  std::shared_ptr<orvex::ui::ScriptedAgent> agent = std::make_shared<orvex::ui::ScriptedAgent>();
};

ScriptedUser::ScriptedUser() : state_(std::make_shared<State>()) {}

void ScriptedUser::Plan(std::string form_name, std::string_view plan_text) {
  state_->agent->Plan(std::move(form_name), plan_text);
}

void ScriptedUser::Answer(std::string_view answer_text) { state_->agent->Answer(answer_text); }

int ScriptedUser::pending_plans() const { return state_->agent->pending_plans(); }

int ScriptedUser::pending_answers() const { return state_->agent->pending_answers(); }

std::vector<std::string> ScriptedUser::problems() const { return state_->agent->problems(); }

void ScriptedUser::Install() const { orvex::ui::SetUserAgent(state_->agent); }

void UninstallUser() { orvex::ui::SetUserAgent(nullptr); }

}  // namespace qzorvex
