// Keeping the calling thread's windows alive while its HTTP transfers run.
//
// A thread that shows a window while it waits for the server (the progress
// form behind a connect or an upload) installs a hook. Every transfer of
// that thread calls it as data moves, and at least once a second while it
// waits for the peer, so the hook can repaint and answer the window system.
// The hook runs on the transferring thread, inside the request; it must not
// start requests of its own. Transfers of other threads do not call it.
#ifndef ORVEX_PLATFORM_TRANSFER_PROGRESS_H_
#define ORVEX_PLATFORM_TRANSFER_PROGRESS_H_

namespace orvex::platform {

using TransferProgressHook = void (*)();

// Installs `hook` for the calling thread's transfers (nullptr: none) and
// returns the hook it replaces.
TransferProgressHook SetThreadTransferProgressHook(TransferProgressHook hook);

// The calling thread's hook, or nullptr.
TransferProgressHook CurrentThreadTransferProgressHook();

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_TRANSFER_PROGRESS_H_
