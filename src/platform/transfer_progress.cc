#include "platform/transfer_progress.h"

#include <utility>

namespace orvex::platform {
namespace {

thread_local TransferProgressHook t_hook = nullptr;

}  // namespace

TransferProgressHook SetThreadTransferProgressHook(TransferProgressHook hook) {
  return std::exchange(t_hook, hook);
}

TransferProgressHook CurrentThreadTransferProgressHook() { return t_hook; }

}  // namespace orvex::platform
