// Stopping the HTTP transfers in progress from outside them.
//
// A program that lets its user interrupt a slow call (the console, on
// Ctrl-C) installs a check. Every transfer asks it as data moves, and at
// least once a second while it waits; when the check answers true the
// transfer is abandoned and its request fails as a lost connection does
// (server::Error kErrGenericFailure), so the operation that sent it ends
// with its usual failure result. Without a check, or while it answers
// false, nothing changes. The check must be cheap and safe to call from any
// thread.
#ifndef ORVEX_SERVER_WEBDAV_TRANSFER_INTERRUPT_H_
#define ORVEX_SERVER_WEBDAV_TRANSFER_INTERRUPT_H_

namespace orvex::server::webdav {

using TransferInterruptCheck = bool (*)();

// Installs `check` for every transfer of the process (nullptr: none).
void SetTransferInterruptCheck(TransferInterruptCheck check);

// The check installed, or nullptr.
TransferInterruptCheck CurrentTransferInterruptCheck();

}  // namespace orvex::server::webdav

#endif  // ORVEX_SERVER_WEBDAV_TRANSFER_INTERRUPT_H_
