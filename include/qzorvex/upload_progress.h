// How far an upload has gone, and a way to stop it.
//
//   qzorvex::SetUploadProgress([&](uint64_t sent, uint64_t total) {
//     bar.Show(sent, total);
//     return !bar.StopPressed();
//   });
//   if (!docs.SaveFile("Reports", "/home/jones", "big.pdf"))
//     if (auto failure = docs.LastFailure(); failure && failure->number ==
//     qzorvex::kUploadCancelled)
//       ...  // the user stopped it; the server kept nothing of it
//
// This stands beside the automation interface: without a progress
// installed, uploads behave exactly as before.
//
// Thread safety: the progress belongs to the thread that installs it and
// is called on that thread only, from inside its SaveFile and SaveFileEx
// calls (also behind the progress window). Other threads' uploads do not
// see it.
#ifndef QZORVEX_UPLOAD_PROGRESS_H_
#define QZORVEX_UPLOAD_PROGRESS_H_

#include <cstdint>
#include <functional>

namespace qzorvex {

// Told that `sent` bytes of a document's content of `total` bytes have gone
// to the server; answers true to go on, false to stop the upload. It is
// called as the content goes out and at least once a second while the
// server holds it off, from (0, total) or the first bytes on up to one
// last call with sent == total; an upload the server asks to send again
// (with other credentials) starts over from 0. It must not call the
// library's members itself.
//
// Stop (false, or an exception thrown) before the last byte has gone out
// abandons the request: the call fails (SaveFile answers False) with error
// code 1000, and its failure's `number` is kUploadCancelled and its
// `detail` "PUT URL cancelled by the upload progress[: what it threw]".
// The server never receives the whole content, so it keeps nothing of it:
// a new document is not created, a document being replaced keeps its
// content and state, and no second attempt is made. The answer to the last
// call (sent == total) changes nothing: the content is already out.
using UploadProgress = std::function<bool(uint64_t sent, uint64_t total)>;

// The provider error number of a failure whose upload its progress stopped.
inline constexpr int32_t kUploadCancelled = 3712;

// Installs `progress` for the uploads of the calling thread (an empty
// function: none) and returns the one it replaces.
UploadProgress SetUploadProgress(UploadProgress progress);

}  // namespace qzorvex

#endif  // QZORVEX_UPLOAD_PROGRESS_H_
