// An in-memory registry under HKEY_LOCAL_MACHINE, INI texts (one per section
// and key, else one for every read) and a few files, answering as the Windows
// functions do. Keys are full paths and, as in the real registry, compare
// without regard to case.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "apps/registry_access.h"

namespace pendrel::apps {

using Data = std::string;  // raw value data, NULs included

inline std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}
struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const { return lower(a) < lower(b); }
};

struct FakeRegistry : RegistryApi {
  std::map<std::string, std::map<std::string, std::pair<uint32_t, Data>, NoCase>, NoCase> keys;
  std::map<RegHandle, std::string> open;  // handle -> path ("" for a machine root)
  // Queries (buffer size or "-"), connections and INI calls, in order.
  std::vector<std::string> log;
  std::string ini;                  // for a list: already ending in its two NULs
  std::map<std::string, std::string> ini_keys;  // "section/key" -> text, else ini
  std::map<std::string, uint32_t> files;  // path -> attributes
  std::vector<std::string> attribute_changes;
  RegHandle next = 100;

  // Adds a key with its parents, as RegCreateKey would.
  auto& key(const std::string& path) {
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
      keys[path.substr(0, at)];
    }
    return keys[path];
  }
  std::string path_of(RegHandle root, const std::string& subkey) const {
    const std::string base = root == kLocalMachine ? "" : open.at(root);
    return base.empty() ? subkey : subkey.empty() ? base : base + "\\" + subkey;
  }

  int32_t RegOpenKeyExA(RegHandle root, const char* subkey, uint32_t, uint32_t access, RegHandle& key) override {
    if (root != kLocalMachine && !open.contains(root)) return 6;
    const std::string path = path_of(root, subkey);
    if (!keys.contains(path) || access != kKeyRead) return 2;
    open[key = next++] = path;
    return 0;
  }
  int32_t RegQueryValueExA(RegHandle key, const char* name, uint32_t& type, uint8_t* data, uint32_t& size) override {
    log.push_back(data ? std::to_string(size) : "-");
    if (!keys.at(open.at(key)).contains(name)) return 2;
    const auto& [stored_type, stored] = keys.at(open.at(key)).at(name);
    const uint32_t room = std::exchange(size, static_cast<uint32_t>(stored.size()));
    type = stored_type;
    if (data && room < size) return kStatusMoreData;
    if (data) std::memcpy(data, stored.data(), size);
    return 0;
  }
  int32_t RegEnumKeyA(RegHandle key, uint32_t index, char* name, uint32_t size) override {
    const std::string prefix = open.at(key).empty() ? "" : open.at(key) + "\\";
    std::set<std::string, NoCase> children;
    for (auto it = keys.lower_bound(prefix); it != keys.end() && lower(it->first).starts_with(lower(prefix)); ++it) {
      const std::string rest = it->first.substr(prefix.size());
      if (!rest.empty()) children.insert(rest.substr(0, rest.find('\\')));
    }
    if (index >= children.size()) return 259;  // ERROR_NO_MORE_ITEMS
    const std::string& child = *std::next(children.begin(), index);
    if (child.size() + 1 > size) return kStatusMoreData;
    std::memcpy(name, child.c_str(), child.size() + 1);
    return 0;
  }
  int32_t RegCloseKey(RegHandle key) override {
    if (key == kLocalMachine) log.push_back("RegCloseKey HKLM");  // predefined: never to be closed
    return open.erase(key) == 1 ? 0 : 6;
  }
  int32_t RegConnectRegistryA(const char* machine, RegHandle root, RegHandle& key) override {
    log.push_back(std::string(machine) + " " + std::to_string(root));
    if (std::string(machine) == "GONE") return 53;
    open[key = next++] = "";
    return 0;
  }
  uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* dflt, char* buffer, uint32_t size,
                                    const char* file) override {
    const std::string asked = std::string(section ? section : "-") + "/" + (key ? key : "-");
    log.push_back(asked + "/" + dflt + "/" + std::to_string(size) + "/" + file);
    const auto answer = ini_keys.find(asked);
    const std::string& served = answer == ini_keys.end() ? ini : answer->second;
    const uint32_t nuls = key ? 1 : 2, text = static_cast<uint32_t>(served.size()) + 1 - nuls;
    const uint32_t kept = std::min(text, size - nuls);  // cut off: the terminators still fit
    std::memset(buffer, 0, size);
    std::memcpy(buffer, served.data(), kept);
    return kept;
  }
  uint32_t GetFileAttributesA(const char* path) override {
    const auto it = files.find(path);
    return it == files.end() ? kNoFileAttributes : it->second;
  }
  bool SetFileAttributesA(const char* path, uint32_t attributes) override {
    attribute_changes.push_back(std::string(path) + " " + std::to_string(attributes));
    if (!files.contains(path)) return false;
    files[path] = attributes;
    return true;
  }
};

}  // namespace pendrel::apps
