#include "server/webdav/status.h"

#include <algorithm>

#include "server/error.h"

namespace orvex::server::webdav {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int ParseStatusLine(std::string_view line) {
  size_t b = line.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return 0;
  line.remove_prefix(b);
  if (line.substr(0, 5) == "HTTP/") {
    size_t space = line.find(' ');
    if (space == std::string_view::npos) return 0;
    line.remove_prefix(space);
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
  }
  if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2])) return 0;
  if (line.size() > 3 && line[3] != ' ' && line[3] != '\t' && line[3] != '\r' && line[3] != '\n')
    return 0;
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

int32_t ErrorForStatus(long status, std::string_view method) {
  switch (status) {
    case 401:
    case 423:
      return kErrAccessDenied;
    case 403:
      return kErrPermissionDenied;
    case 404:
    case 409:
      return kErrObjectNotFound;
    case 412:
      return kErrAlreadyExists;
    case 405:
      return method == "MKCOL" ? kErrAlreadyExists : kErrGenericFailure;
    default:
      return kErrGenericFailure;
  }
}

}  // namespace orvex::server::webdav
