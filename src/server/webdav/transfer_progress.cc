#include "server/webdav/transfer_progress.h"

#include <utility>

namespace orvex::server::webdav {
namespace {

thread_local TransferProgressHook t_hook = nullptr;

}  // namespace

TransferProgressHook SetThreadTransferProgressHook(TransferProgressHook hook) {
  return std::exchange(t_hook, hook);
}

TransferProgressHook CurrentThreadTransferProgressHook() { return t_hook; }

}  // namespace orvex::server::webdav
