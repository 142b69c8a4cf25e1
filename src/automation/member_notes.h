// What each member of ConnectOrvex does, beside what its table row says: a
// summary of its work and result, the error codes the operation itself can
// leave (with what each means for this member), and the order it must be
// called in. The reference entries (member_reference.h) combine these notes
// with the forwarding rules of the member table, so the table stays the one
// source of names, parameters, failure values and connected tests.
#ifndef ORVEX_AUTOMATION_MEMBER_NOTES_H_
#define ORVEX_AUTOMATION_MEMBER_NOTES_H_

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orvex::automation {

struct CodeNote {
  int32_t code;
  std::string_view meaning;  // what the code means after this member
};

struct MemberNote {
  // A property, an own method, or the plain form of a forwarded pair (its
  // note covers the Ex form too).
  std::string_view name;
  std::string_view summary;
  // Codes the operation sets on its own, beyond the connected tests.
  std::vector<CodeNote> codes;
  // Whether a refusal of the server can end the call, leaving one of the
  // mapped codes 1000 and 1004 to 1007.
  bool server = false;
  // What must have been called before, and what comes after; "" when free.
  std::string_view order;
};

// Every note, in interface order.
std::span<const MemberNote> MemberNotes();

// The note named exactly `name` (a pair's is under its plain form);
// nullptr for none.
const MemberNote* FindMemberNote(std::string_view name);

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_MEMBER_NOTES_H_
