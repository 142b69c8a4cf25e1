#include "automation/member_reference.h"

#include <gtest/gtest.h>

#include "qzorvex/connect_orvex_members.h"

namespace orvex::automation {
namespace {

TEST(MemberReferenceTest, EntriesComeFromTheMemberTable) {
  // Every member has an entry that declares it, and either form of a pair
  // gives the same entry.
  for (const ConnectOrvexMember& m : ConnectOrvexMembers()) {
    std::string entry = ConnectOrvexEntry(m);
    EXPECT_NE(entry.find("ConnectOrvex." + m.name), std::string::npos) << entry;
  }
  EXPECT_EQ(MemberNames().size(), size_t{qzorvex::kConnectOrvexMemberCount} + 12);
  EXPECT_EQ(MemberEntry("getworkspace"), MemberEntry("GetWorkspaceEx"));

  EXPECT_EQ(MemberEntry("GetWorkspaceInfo"),
            "ConnectOrvex.GetWorkspaceInfo() As Integer\n"
            "ConnectOrvex.GetWorkspaceInfoEx(Handle As Integer) As Integer\n"
            "  Lists the server's workspaces. The count, or -1.\n"
            "  GetWorkspaceInfo works on the default connection, GetWorkspaceInfoEx on entry "
            "Handle of the connection table; a handle other than 0 raises error 9.\n"
            "  GetWorkspaceInfo: when the default connection has no host name, returns -1 and "
            "sets its error code to 1.\n"
            "  GetWorkspaceInfoEx: when entry 0 has no host name, returns 0 and sets its error "
            "code to 1.\n"
            "  Error codes it can leave:\n"
            "    1000: the listing failed; the rows read before the failure stay readable\n"
            "  Order: After ConnectOpen. Then GetWorkspace(0 .. count - 1).\n");

  // Outputs are the parameters written back, not every by-reference one.
  std::string property = MemberEntry("GetProperty");
  EXPECT_NE(property.find("  Writes Title, Description, Require, DataType, ListData, "
                          "ListProperty into the variables passed.\n"),
            std::string::npos)
      << property;
  EXPECT_NE(property.find("GetPropertyEx opens the current workspace first"), std::string::npos);
  EXPECT_EQ(MemberEntry("ConnectOpen").find("Writes"), std::string::npos);
  EXPECT_NE(MemberEntry("SetWorkspaceEx")
                .find("Workspace argument is empty, returns False and "
                      "sets the error code to 1002"),
            std::string::npos);

  // A name both classes have gives both entries; an unknown one nothing.
  EXPECT_EQ(MemberEntry("Description"),
            "ConnectOrvex.Description As String\n"
            "  A read/write property of the object.\n"
            "  Description value SaveFile and CheckIn write.\n"
            "\n"
            "PropertyClass1.Description As String\n"
            "  A read/write property of the record.\n");
  EXPECT_NE(MemberEntry("DictionaryValues").find("Set binds an object"), std::string::npos);
  EXPECT_EQ(MemberEntry("NoSuchMember"), "");
}

}  // namespace
}  // namespace orvex::automation
