// The library's reference, written from the member tables and their notes:
// every member of ConnectOrvex and PropertyClass1, the document status codes
// and the error codes. docs/reference.md is this text; a test holds the two
// equal, so the reference moves with the tables.
#ifndef ORVEX_TOOLS_REFERENCE_DOCUMENT_H_
#define ORVEX_TOOLS_REFERENCE_DOCUMENT_H_

#include <string>
#include <string_view>
#include <vector>

namespace orvex::reference {

// The whole reference in Markdown.
std::string ReferenceMarkdown();

// The member names the reference's member headings ("### GetWorkspace,
// GetWorkspaceEx") give, in the order they appear in `markdown`.
std::vector<std::string> HeadingMembers(std::string_view markdown);

}  // namespace orvex::reference

#endif  // ORVEX_TOOLS_REFERENCE_DOCUMENT_H_
