#include "docstore/url.h"

#include "wire/xml_text.h"

namespace orvex::docstore {
bool IsValidSegment(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.find_first_of("/\\\t\r\n") != std::string_view::npos) return false;
  return wire::IsXmlText(name);
}

std::optional<std::string> ParseRequestPath(std::string_view target) {
  // An absolute URL: drop the scheme and authority.
  if (auto scheme = target.find("://"); scheme != std::string_view::npos && target[0] != '/') {
    auto slash = target.find('/', scheme + 3);
    target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
  }
  if (target.empty() || target[0] != '/') return std::nullopt;
  // A fragment never belongs in a request; refusing it keeps "/a/#b" from
  // acting on "/a/".
  if (target.find('#') != std::string_view::npos) return std::nullopt;
  if (auto q = target.find('?'); q != std::string_view::npos) target = target.substr(0, q);
  // Segments are decoded one by one so an encoded "/" (%2F) cannot split or
  // join segments behind the check.
  std::string path;
  size_t pos = 1;
  while (pos <= target.size()) {
    size_t end = target.find('/', pos);
    if (end == std::string_view::npos) end = target.size();
    std::string_view raw = target.substr(pos, end - pos);
    if (raw.empty()) {
      // "//" is read as "/", as most servers do.
      pos = end + 1;
      continue;
    }
    auto decoded = PercentDecode(raw);
    if (!decoded || !IsValidSegment(*decoded)) return std::nullopt;
    path += '/';
    path += *decoded;
    pos = end + 1;
  }
  if (path.empty()) path.push_back('/');
  return path;
}

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t pos = 1;
  while (pos < path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    parts.emplace_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

std::string ParentPath(std::string_view path) {
  auto slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string LastSegment(std::string_view path) {
  auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string(path);
  return std::string(path.substr(slash + 1));
}

std::string JoinPath(std::string_view parent, std::string_view name) {
  std::string out(parent);
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

std::string EncodeHref(std::string_view path, bool collection) {
  std::string out = wire::PercentEncodePath(path);
  if (collection && (out.empty() || out.back() != '/')) out.push_back('/');
  return out;
}

}  // namespace orvex::docstore
