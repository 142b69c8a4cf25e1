#include "server/webdav/transfer_interrupt.h"

#include <atomic>

namespace orvex::server::webdav {
namespace {

std::atomic<TransferInterruptCheck> installed{nullptr};

}  // namespace

void SetTransferInterruptCheck(TransferInterruptCheck check) { installed.store(check); }

TransferInterruptCheck CurrentTransferInterruptCheck() { return installed.load(); }

}  // namespace orvex::server::webdav
