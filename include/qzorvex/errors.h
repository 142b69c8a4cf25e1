// Words for the library's error codes, and what went wrong in the call that
// left one.
//
//   if (!docs.GetFileInfo("Reports")) ...
//   if (auto failure = docs.LastFailure())
//     std::cerr << failure->member << ": " << failure->code << " "
//               << qzorvex::ErrorText(failure->code) << "\n  " << failure->detail << "\n";
//
// These stand beside the automation interface: GetLastError and
// GetLastErrorEx keep answering the same numbers; the words and the detail
// only explain them. docs/reference.md lists every code.
//
// Thread safety: ErrorText may be called from any thread. A Failure is a
// plain value.
#ifndef QZORVEX_ERRORS_H_
#define QZORVEX_ERRORS_H_

#include <cstdint>
#include <string>

namespace qzorvex {

// The words for error code `code` (what GetLastError returns) in the calling
// thread's string-table language, the one the dialogs speak (Japanese for a
// "ja" locale, else English). A number the library never sets reads
// "Unknown error code N".
std::string ErrorText(int32_t code);
// The same in `language`: 1041 Japanese, anything else (1033) English.
std::string ErrorText(int32_t code, int language);

// The failure behind the code a connection holds now.
struct Failure {
  // The member whose call left the code, as the interface spells it
  // ("GetFileInfoEx").
  std::string member;
  // The code, as GetLastError (GetLastErrorEx) reads it, and its words
  // (ErrorText in the language of the thread that made the call).
  int32_t code = 0;
  std::string text;
  // The error number the provider raised (0x80040E19 ...), and its own
  // account at the failure: the request with the status it was answered,
  // or the transport's message ("PROPFIND http://docs/... failed: Could not
  // connect to server"). 0 and "" when the library refused the call itself
  // (a bad name, no workspace, not connected).
  int32_t number = 0;
  std::string detail;
  // Grows with every failure the object records: a call left this failure
  // when the sequence moved during it.
  uint64_t sequence = 0;
};

}  // namespace qzorvex

#endif  // QZORVEX_ERRORS_H_
