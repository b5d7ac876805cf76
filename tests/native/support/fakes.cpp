#include "support/fakes.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "forms/tree_view.h"

namespace pendrel::fakes {
namespace {

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::wstring property_name(forms::Property p) {
  using forms::Property;
  static const std::map<Property, std::wstring> kNames = {
      {Property::Caption, L"Caption"}, {Property::Text, L"Text"},       {Property::Value, L"Value"},
      {Property::Enabled, L"Enabled"}, {Property::Visible, L"Visible"}, {Property::Bounds, L"Bounds"},
      {Property::ZOrder, L"ZOrder"},   {Property::Font, L"Font"},       {Property::Items, L"Items"},
      {Property::Nodes, L"Nodes"},     {Property::Sort, L"Sort"},       {Property::Columns, L"Columns"},
      {Property::WindowState, L"WindowState"}};
  const auto it = kNames.find(p);
  return it != kNames.end() ? it->second : L"#" + std::to_wstring(static_cast<int>(p));
}

std::wstring control_name(const forms::Control& c) {
  return c.index() == forms::kNoIndex ? c.name() : c.name() + L"(" + std::to_wstring(c.index()) + L")";
}

}  // namespace

void RecordingPeer::refresh(const forms::Control* c) { add(c ? L"refresh " + control_name(*c) : L"refresh"); }
void RecordingPeer::form_changed(forms::Property p) { add(L"form " + property_name(p)); }
void RecordingPeer::control_changed(forms::Control& c, const forms::Change& change) {
  static const wchar_t* const kChanges[] = {L"Added", L"Removed", L"Changed", L"Moved", L"Reordered", L"EnsureVisible"};
  std::wstring line = L"control " + control_name(c) + L" " + property_name(change.property);
  if (change.property == forms::Property::Items || change.property == forms::Property::Nodes) {
    line += L" " + std::wstring(kChanges[static_cast<int>(change.item_change)]);
    if (change.list_item) line += L" " + change.list_item->key();
    if (change.node) line += L" " + change.node->key();
  }
  add(line);
}

std::vector<std::wstring> list_rows(forms::ListItems& items) {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= items.count(); ++i) {
    const forms::ListItem& r = items.item(i);
    lines.push_back(r.key() + L"|" + r.text() + L"|" + r.sub_item(1) + L"|" + r.sub_item(2) + L"|" + r.tag() + L"|" +
                    std::to_wstring(r.icon()) + L"," + std::to_wstring(r.small_icon()));
  }
  return lines;
}

bool FakeRegistry::NoCase::operator()(const std::string& a, const std::string& b) const { return lower(a) < lower(b); }

std::map<std::string, std::pair<uint32_t, FakeRegistry::Data>, FakeRegistry::NoCase>& FakeRegistry::key(
    const std::string& path) {
  for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
    keys[path.substr(0, at)];
  return keys[path];
}

int32_t FakeRegistry::RegOpenKeyExA(apps::RegHandle root, const char* subkey, uint32_t, uint32_t access,
                                    apps::RegHandle& key) {
  if (fails && fails("RegOpenKeyExA")) return 5;
  if (root != apps::kLocalMachine && !open.contains(root)) return 6;
  const std::string base = root == apps::kLocalMachine ? "" : open.at(root);
  const std::string path = base.empty() ? subkey : *subkey ? base + "\\" + subkey : base;
  if (!keys.contains(path) || access != apps::kKeyRead) return 2;
  open[key = next++] = path;
  return 0;
}

int32_t FakeRegistry::RegQueryValueExA(apps::RegHandle key, const char* name, uint32_t& type, uint8_t* data,
                                       uint32_t& size) {
  if (fails && fails("RegQueryValueExA")) return 5;
  log.push_back(data ? std::to_string(size) : "-");
  if (!keys.at(open.at(key)).contains(name)) return 2;
  const auto& [stored_type, stored] = keys.at(open.at(key)).at(name);
  const uint32_t room = std::exchange(size, static_cast<uint32_t>(stored.size()));
  type = stored_type;
  if (data && room < size) return apps::kStatusMoreData;
  if (data) std::memcpy(data, stored.data(), size);
  return 0;
}

int32_t FakeRegistry::RegEnumKeyA(apps::RegHandle key, uint32_t index, char* name, uint32_t size) {
  if (fails && fails("RegEnumKeyA")) return 5;
  const std::string prefix = open.at(key).empty() ? "" : open.at(key) + "\\";
  std::set<std::string, NoCase> children;
  for (auto it = keys.lower_bound(prefix); it != keys.end() && lower(it->first).starts_with(lower(prefix)); ++it) {
    const std::string rest = it->first.substr(prefix.size());
    if (!rest.empty()) children.insert(rest.substr(0, rest.find('\\')));
  }
  if (index >= children.size()) return 259;  // ERROR_NO_MORE_ITEMS
  const std::string& child = *std::next(children.begin(), index);
  if (child.size() + 1 > size) return apps::kStatusMoreData;
  std::memcpy(name, child.c_str(), child.size() + 1);
  return 0;
}

int32_t FakeRegistry::RegCloseKey(apps::RegHandle key) {
  if (key == apps::kLocalMachine) log.push_back("RegCloseKey HKLM");  // predefined: never to be closed
  return open.erase(key) == 1 ? 0 : 6;
}

int32_t FakeRegistry::RegConnectRegistryA(const char* machine, apps::RegHandle root, apps::RegHandle& key) {
  if (fails && fails("RegConnectRegistryA")) return 53;
  log.push_back(std::string(machine) + " " + std::to_string(root));
  if (std::string(machine) == "GONE") return 53;
  open[key = next++] = "";
  return 0;
}

uint32_t FakeRegistry::GetPrivateProfileStringA(const char* section, const char* key, const char* dflt, char* buffer,
                                                uint32_t size, const char* file) {
  if (fails && fails("GetPrivateProfileStringA")) return 0;
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

uint32_t FakeRegistry::GetFileAttributesA(const char* path) {
  if (fails && fails("GetFileAttributesA")) return apps::kNoFileAttributes;
  const auto it = files.find(path);
  return it == files.end() ? apps::kNoFileAttributes : it->second;
}

bool FakeRegistry::SetFileAttributesA(const char* path, uint32_t attributes) {
  return files.contains(path) && (files[path] = attributes, true);
}

}  // namespace pendrel::fakes
