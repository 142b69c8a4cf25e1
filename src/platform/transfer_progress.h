// Keeping the calling thread's windows alive while its HTTP transfers run,
// and telling its host how far an upload has gone.
//
// A thread that shows a window while it waits for the server (the progress
// form behind a connect or an upload) installs a hook. Every transfer of
// that thread calls it as data moves, and at least once a second while it
// waits for the peer, so the hook can repaint and answer the window system.
// The hook runs on the transferring thread, inside the request; it must not
// start requests of its own. Transfers of other threads do not call it.
//
// A host that shows an upload's progress itself, or lets its user stop
// one, installs an upload progress for the thread that uploads: every
// request of that thread that sends a document's content asks it, the same
// way, how far to go (qzorvex/upload_progress.h says what the host sees).
#ifndef ORVEX_PLATFORM_TRANSFER_PROGRESS_H_
#define ORVEX_PLATFORM_TRANSFER_PROGRESS_H_

#include <cstdint>
#include <functional>

namespace orvex::platform {

using TransferProgressHook = void (*)();

// Installs `hook` for the calling thread's transfers (nullptr: none) and
// returns the hook it replaces.
TransferProgressHook SetThreadTransferProgressHook(TransferProgressHook hook);

// The calling thread's hook, or nullptr.
TransferProgressHook CurrentThreadTransferProgressHook();

// Told `sent` bytes of a content of `total` bytes have gone out; answers
// whether the upload goes on.
using UploadProgress = std::function<bool(uint64_t sent, uint64_t total)>;

// Installs `progress` for the calling thread's uploads (empty: none) and
// returns the one it replaces.
UploadProgress SetThreadUploadProgress(UploadProgress progress);

// A copy of the calling thread's upload progress (empty: none), which a
// request keeps while it runs, so that installing another one from inside
// it leaves the one being called alone.
UploadProgress CurrentThreadUploadProgress();

}  // namespace orvex::platform

#endif  // ORVEX_PLATFORM_TRANSFER_PROGRESS_H_
