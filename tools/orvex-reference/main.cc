// orvex-reference: writes the library's reference (docs/reference.md) from
// the member tables, or checks that a file holds it as it stands.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "qzorvex/version.h"
#include "reference_document.h"

namespace {

constexpr std::string_view kUsage =
    "usage: orvex-reference [--output FILE | --check FILE]\n"
    "       orvex-reference --version | --help\n"
    "Writes the QzOrvex reference in Markdown to standard output, or to FILE;\n"
    "--check FILE exits with status 1 when FILE is not the reference as the\n"
    "member tables give it now.\n";

int Usage(std::ostream& out, int status) {
  out << kUsage;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::string output, check;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return Usage(std::cout, 0);
    if (arg == "--version") {
      std::cout << "orvex-reference " << QZORVEX_VERSION_STRING << "\n";
      return 0;
    }
    if ((arg == "--output" || arg == "--check") && i + 1 < argc) {
      (arg == "--output" ? output : check) = argv[++i];
      continue;
    }
    std::cerr << "orvex-reference: unknown argument '" << arg << "'\n";
    return Usage(std::cerr, 2);
  }
  const std::string text = orvex::reference::ReferenceMarkdown();
  if (!check.empty()) {
    std::ifstream in(check, std::ios::binary);
    std::ostringstream held;
    held << in.rdbuf();
    if (!in || held.str() != text) {
      std::cerr << "orvex-reference: " << check
                << " is not the current reference; regenerate it with\n"
                   "  orvex-reference --output "
                << check << "\n";
      return 1;
    }
    return 0;
  }
  if (output.empty()) {
    std::cout << text;
    return 0;
  }
  std::ofstream out(output, std::ios::binary);
  out << text;
  if (!out.flush()) {
    std::cerr << "orvex-reference: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
