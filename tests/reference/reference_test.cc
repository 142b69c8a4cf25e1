#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "automation/connect_orvex_members.h"
#include "automation/member_notes.h"
#include "automation/member_reference.h"
#include "engine/error_codes.h"
#include "engine/error_text.h"
#include "platform/language.h"
#include "reference_document.h"

namespace orvex::reference {
namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ReferenceTest, TheReferenceNamesEveryMemberOnceAndNothingElse) {
  // The names the tables know, in interface order: ConnectOrvex, then the
  // record's properties.
  std::vector<std::string> expected;
  for (std::string_view name : automation::MemberNames()) expected.emplace_back(name);

  for (const std::string& text : {ReferenceMarkdown(), ReadFile(ORVEX_REFERENCE_FILE)}) {
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(HeadingMembers(text), expected);
  }
}

TEST(ReferenceTest, EveryMemberHasANoteAndEveryNoteAMember) {
  std::vector<std::string_view> described;
  for (const automation::ConnectOrvexMember& m : automation::ConnectOrvexMembers())
    if (!m.ex) described.push_back(m.name);
  std::vector<std::string_view> noted;
  for (const automation::MemberNote& n : automation::MemberNotes()) {
    noted.push_back(n.name);
    EXPECT_FALSE(n.summary.empty()) << n.name;
    // A code a note lists has words of its own in the error-code table.
    for (const automation::CodeNote& c : n.codes) {
      EXPECT_EQ(engine::ErrorTextOf(c.code, platform::kLangEnglish).find("Unknown"),
                std::string::npos)
          << n.name << " " << c.code;
    }
  }
  EXPECT_EQ(noted, described);
}

TEST(ReferenceTest, EntriesCarryCodesAndCallOrder) {
  // The forwarding rules and the note meet in one entry, either form giving it.
  const std::string content = automation::MemberEntry("GetFileContentInfoEx");
  EXPECT_EQ(content, automation::MemberEntry("GetFileContentInfo"));
  EXPECT_NE(content.find("  Selects document Index"), std::string::npos) << content;
  EXPECT_NE(content.find("    1000: Index is outside"), std::string::npos) << content;
  EXPECT_NE(content.find("  Order: After GetFileInfo; after GetDocProfileInfo"), std::string::npos)
      << content;
  // A row reader reads nothing from the server: no server codes.
  EXPECT_EQ(automation::MemberEntry("GetFileData").find("1004 to 1007"), std::string::npos);
  EXPECT_NE(automation::MemberEntry("ConnectOpen").find("    1002: HostName is empty"),
            std::string::npos);

  const std::string markdown = ReferenceMarkdown();
  // Declarations are code; the rest is a list, nested for the codes.
  EXPECT_NE(markdown.find("### GetFileData, GetFileDataEx\n\n```\n"
                          "ConnectOrvex.GetFileData(Index As Integer, ByRef File As String, "
                          "ByRef ReadOnly As Boolean, ByRef Status As Integer) As Boolean\n"),
            std::string::npos);
  EXPECT_NE(markdown.find("- Error codes it can leave:\n  - 1000: Index is outside"),
            std::string::npos);
  EXPECT_NE(markdown.find("| 5 | checked out by this user |"), std::string::npos);
  EXPECT_NE(markdown.find("| 1009 | The document's state"), std::string::npos);
}

TEST(ReferenceTest, EveryErrorCodeHasWordsInBothLanguages) {
  const std::set<int32_t> codes = {engine::kCodeNone,
                                   engine::kCodeNotConnected,
                                   engine::kCodeAlreadyOpen,
                                   engine::kCodeNoWorkspace,
                                   engine::kCodeBadPath,
                                   engine::kCodeBadName,
                                   engine::kCodeProfileNotFound,
                                   engine::kCodeFailure,
                                   engine::kCodeBadHostName,
                                   engine::kCodeWorkspaceFailed,
                                   engine::kCodePermissionDenied,
                                   engine::kCodeAlreadyExists,
                                   engine::kCodeAccessDenied,
                                   engine::kCodeNotFound,
                                   engine::kCodeFileRead,
                                   engine::kCodeStateRefused};
  std::set<int32_t> listed;
  for (const engine::CodeText& c : engine::ErrorCodeTexts()) listed.insert(c.code);
  EXPECT_EQ(listed, codes);
  for (int32_t code : codes) {
    const std::string english = engine::ErrorTextOf(code, platform::kLangEnglish);
    const std::string japanese = engine::ErrorTextOf(code, platform::kLangJapanese);
    EXPECT_FALSE(english.empty());
    EXPECT_NE(english, japanese) << code;
  }
  // Numbers the library never sets still read as something.
  EXPECT_EQ(engine::ErrorTextOf(1001, platform::kLangEnglish), "Unknown error code 1001");
  EXPECT_EQ(engine::ErrorTextOf(-7, platform::kLangJapanese), "不明なエラーコード -7");
}

}  // namespace
}  // namespace orvex::reference
