// The reference entries of the library's classes, written from the same
// member tables the automation objects run on, so they cannot drift from
// what a call does: the console's `help NAME` prints them, and a generated
// reference can be built from them.
#ifndef ORVEX_AUTOMATION_MEMBER_REFERENCE_H_
#define ORVEX_AUTOMATION_MEMBER_REFERENCE_H_

#include <string>
#include <string_view>
#include <vector>

#include "automation/connect_orvex_members.h"

namespace orvex::automation {

// Every member name of ConnectOrvex and then of PropertyClass1, in interface
// order and as the interfaces spell them (a name both classes have comes
// twice).
std::vector<std::string_view> MemberNames();

// The entry of one member of ConnectOrvex. Its first lines are the
// declarations in the interface's terms, e.g.
//   ConnectOrvex.GetWorkspace(Index As Integer, ByRef Workspace As String,
//                             ByRef Description As String) As Boolean
// (one line each; a forwarded method gives its plain and its Ex form, and
// either form's entry is the same text); then, indented, the parameters
// the member writes, and for a forwarded method which connection each form
// uses, what each returns when its connection is not usable with the error
// code it leaves, and whether it opens the current workspace first.
std::string ConnectOrvexEntry(const ConnectOrvexMember& member);

// The entries of every member named `name` (case-insensitively) of
// ConnectOrvex and PropertyClass1, one after the other; "" when neither
// class has one.
std::string MemberEntry(std::string_view name);

}  // namespace orvex::automation

#endif  // ORVEX_AUTOMATION_MEMBER_REFERENCE_H_
