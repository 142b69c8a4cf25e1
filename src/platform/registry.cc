#include "platform/registry.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text.h"

#ifndef ORVEX_REGISTRY_FILE
#define ORVEX_REGISTRY_FILE "/usr/local/etc/qzorvex/registry.reg"
#endif

namespace orvex::platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

std::string_view HiveName(Hive hive) {
  switch (hive) {
    case Hive::kClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case Hive::kCurrentUser:
      return "HKEY_CURRENT_USER";
    case Hive::kLocalMachine:
      return "HKEY_LOCAL_MACHINE";
  }
  return {};
}

std::string FullKey(Hive hive, std::string_view key) {
  std::string full(HiveName(hive));
  if (!key.empty()) {
    full += '\\';
    full += key;
  }
  return full;
}

bool IsUnder(std::string_view key, std::string_view root) {
  return key.size() > root.size() && key[root.size()] == '\\' &&
         CompareNoCase(key.substr(0, root.size()), root) == 0;
}

// Reads a quoted .reg string starting at `pos` (on the opening quote).
std::optional<std::string> ReadQuoted(std::string_view line, size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '\\' && pos + 1 < line.size()) {
      out += line[++pos];
    } else if (c == '"') {
      ++pos;
      return out;
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

std::string Quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string RegistryFilePath() { return ORVEX_REGISTRY_FILE; }

bool Registry::NoCaseLess::operator()(std::string_view a, std::string_view b) const {
  return CompareNoCase(a, b) < 0;
}

Registry::Registry(std::string path) : path_(std::move(path)) {}

bool Registry::Load() {
  keys_.clear();
  std::ifstream in(path_, std::ios::binary);
  if (!in) return !std::filesystem::exists(path_);
  std::string line;
  std::string current;
  bool header_seen = false;
  bool deleting = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!header_seen) {
      if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
      if (line.empty()) continue;
      if (line != kHeader && line != "REGEDIT4") {
        keys_.clear();
        return false;
      }
      header_seen = true;
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') {
        keys_.clear();
        return false;
      }
      std::string key = line.substr(1, line.size() - 2);
      deleting = !key.empty() && key[0] == '-';
      if (deleting) {
        key.erase(0, 1);
        std::erase_if(keys_, [&](const auto& kv) {
          return CompareNoCase(kv.first, key) == 0 || IsUnder(kv.first, key);
        });
        current.clear();
      } else {
        current = key;
        keys_[current];
      }
      continue;
    }
    if (current.empty() || deleting) continue;
    size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
      pos = 1;
    } else {
      auto n = ReadQuoted(line, pos);
      if (!n) continue;
      name = *n;
    }
    if (pos >= line.size() || line[pos] != '=') continue;
    ++pos;
    std::string_view rest = std::string_view(line).substr(pos);
    if (rest == "-") {
      keys_[current].erase(name);
    } else if (!rest.empty() && rest[0] == '"') {
      auto v = ReadQuoted(line, pos);
      if (v) keys_[current][name] = *v;
    } else if (rest.rfind("dword:", 0) == 0) {
      try {
        keys_[current][name] =
            static_cast<uint32_t>(std::stoul(std::string(rest.substr(6)), nullptr, 16));
      } catch (const std::exception&) {
      }
    }
  }
  return true;
}

bool Registry::Save() const {
  std::error_code ec;
  auto parent = std::filesystem::path(path_).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  std::string tmp = path_ + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << kHeader << "\r\n";
    for (const auto& [key, values] : keys_) {
      out << "\r\n[" << key << "]\r\n";
      for (const auto& [name, value] : values) {
        out << (name.empty() ? std::string("@") : Quote(name)) << '=';
        if (const auto* s = std::get_if<std::string>(&value)) {
          out << Quote(*s);
        } else {
          char buf[16];
          std::snprintf(buf, sizeof buf, "%08x", std::get<uint32_t>(value));
          out << "dword:" << buf;
        }
        out << "\r\n";
      }
    }
    if (!out.flush()) return false;
  }
  std::filesystem::rename(tmp, path_, ec);
  return !ec;
}

bool Registry::KeyExists(Hive hive, std::string_view key) const {
  return keys_.find(FullKey(hive, key)) != keys_.end();
}

std::optional<std::string> Registry::QueryString(Hive hive, std::string_view key,
                                                 std::string_view name) const {
  auto k = keys_.find(FullKey(hive, key));
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.find(name);
  if (v == k->second.end()) return std::nullopt;
  if (const auto* s = std::get_if<std::string>(&v->second)) return *s;
  return std::nullopt;
}

void Registry::SetValue(Hive hive, std::string_view key, std::string_view name, Value value) {
  keys_[FullKey(hive, key)][std::string(name)] = std::move(value);
}

void Registry::DeleteTree(Hive hive, std::string_view key) {
  std::string root = FullKey(hive, key);
  std::erase_if(keys_, [&](const auto& kv) {
    return CompareNoCase(kv.first, root) == 0 || IsUnder(kv.first, root);
  });
}

}  // namespace orvex::platform
