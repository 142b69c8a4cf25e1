#include "platform/transfer_progress.h"

#include <utility>

namespace orvex::platform {
namespace {

thread_local TransferProgressHook t_hook = nullptr;
thread_local UploadProgress t_upload_progress;

}  // namespace

TransferProgressHook SetThreadTransferProgressHook(TransferProgressHook hook) {
  return std::exchange(t_hook, hook);
}

TransferProgressHook CurrentThreadTransferProgressHook() { return t_hook; }

UploadProgress SetThreadUploadProgress(UploadProgress progress) {
  return std::exchange(t_upload_progress, std::move(progress));
}

UploadProgress CurrentThreadUploadProgress() { return t_upload_progress; }

}  // namespace orvex::platform
