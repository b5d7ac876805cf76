#include "apps/registry_access.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "outside/computer.h"
#include "outside/domain_object.h"

namespace pendrel::apps {

namespace {

// The first read of GetRegValue, in bytes (one byte per ANSI character).
constexpr uint32_t kFirstRead = 1024;
// The INI buffer starts at this size and grows by it while a read is cut off.
constexpr uint32_t kIniStep = 1024;

bool is_text_type(uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

Variant reset_value(Variant::Kind kind) {
  switch (kind) {
    case Variant::Kind::Text:
      return Variant(std::wstring());
    case Variant::Kind::Boolean:
      return Variant(false);
    default:
      return Variant(int16_t{0});
  }
}

// Reads a value into a 32-bit integer, as the Windows function fills one:
// data of more than four bytes does not fit (234) and leaves number as it was.
int32_t read_dword(RegistryApi& api, RegHandle key, const char* name, int32_t& number) {
  uint32_t type = 0;
  uint32_t size = sizeof number;
  uint8_t data[sizeof number] = {};
  const int32_t status = api.RegQueryValueExA(key, name, type, data, size);
  if (status == 0) std::memcpy(&number, data, sizeof number);
  return status;
}

// An INI key or section the caller marks as absent.
bool is_absent(const std::wstring& name) {
  return name == std::wstring(1, L'\0') || equal_no_case(name, L"NULL");
}

}  // namespace

RegKey& RegKey::operator=(RegKey&& o) noexcept {
  if (this != &o) {
    reset();
    api_ = o.api_;
    handle_ = std::exchange(o.handle_, 0);
    connected_ = std::exchange(o.connected_, false);
  }
  return *this;
}

void RegKey::reset() {
  connected_ = false;
  const RegHandle handle = std::exchange(handle_, 0);
  if (handle != 0 && handle != kLocalMachine) api_->RegCloseKey(handle);
}

int32_t OpenKey(RegistryApi& api, RegHandle root, const std::wstring& subkey, RegKey& key) {
  RegHandle opened = 0;
  const int32_t status = api.RegOpenKeyExA(root, to_ansi(subkey).c_str(), 0, kKeyRead, opened);
  if (status == 0) key = RegKey(api, opened);
  return status;
}

int32_t OpenMachineRoot(RegistryApi& api, const outside::Computer& computer,
                        const outside::DomainObject& domain_object, RegKey& root) {
  // All four values are read, in this order, whatever the first comparison
  // gives: the test is a non-short-circuit And.
  const std::wstring name = computer.name();
  const bool same_name = name == domain_object.this_computer_name();
  const std::wstring domain = computer.domain();
  const bool same_domain = domain == domain_object.this_domain_name();
  if (same_name && same_domain) {
    root = RegKey(api, kLocalMachine);
    return 0;
  }
  return ConnectMachineRoot(api, name, root);
}

int32_t ConnectMachineRoot(RegistryApi& api, const std::wstring& machine, RegKey& root) {
  RegHandle connected = 0;
  const int32_t status =
      api.RegConnectRegistryA(to_ansi(machine).c_str(), kLocalMachine, connected);
  if (status == 0) root = RegKey(api, connected, true);
  return status;
}

int32_t QueryRegValue(RegistryApi& api, RegHandle key, const std::wstring& value_name,
                      Variant& value, uint32_t* value_type) {
  const std::string name = to_ansi(value_name);
  uint32_t type = 0;
  uint32_t size = 0;
  int32_t status = api.RegQueryValueExA(key, name.c_str(), type, nullptr, size);
  if (status != 0) return status;
  switch (type) {
    case kRegSz:
    case kRegExpandSz: {
      std::vector<uint8_t> data(size, 0);
      uint32_t read_type = 0;
      status = api.RegQueryValueExA(key, name.c_str(), read_type, data.data(), size);
      if (status == 0 && size > 0) {
        value = from_ansi(std::string_view(reinterpret_cast<const char*>(data.data()), size - 1));
      } else {
        value = std::wstring();
      }
      break;
    }
    case kRegBinary:
      value = L"{Binary}";
      break;
    case kRegDword: {
      int32_t number = 0;
      status = read_dword(api, key, name.c_str(), number);
      if (status == 0) value = number;
      break;
    }
    default:
      status = kStatusNotHandled;
      break;
  }
  if (value_type != nullptr) *value_type = type;
  return status;
}

int32_t GetRegValue(RegistryApi& api, RegHandle root, const std::wstring& subkey,
                    const std::wstring& value_name, Variant& value) {
  const Variant reset = reset_value(value.kind());
  RegKey key;
  int32_t status = OpenKey(api, root, subkey, key);
  if (status != 0) {
    value = reset;
    return status;
  }
  const std::string name = to_ansi(value_name);
  std::vector<uint8_t> data(kFirstRead, 0);
  uint32_t type = 0;
  uint32_t size = kFirstRead;
  status = api.RegQueryValueExA(key.get(), name.c_str(), type, data.data(), size);
  if (status == kStatusMoreData && is_text_type(type)) {
    status = api.RegQueryValueExA(key.get(), name.c_str(), type, nullptr, size);
    if (status == 0) {
      data.assign(size, 0);
      status = api.RegQueryValueExA(key.get(), name.c_str(), type, data.data(), size);
    }
  } else if (status != 0 && !(status == kStatusMoreData && type == kRegBinary)) {
    value = reset;
    return status;
  }
  value = reset;
  if (is_text_type(type)) {
    // The data without its terminator: a REG_MULTI_SZ ends in two NULs and
    // loses both, a value stored without one keeps its last character.
    std::size_t length = std::min<std::size_t>(size, data.size());
    if (length > 0 && data[length - 1] == 0) --length;
    if (length > 0 && data[length - 1] == 0) --length;
    value = from_ansi(std::string_view(reinterpret_cast<const char*>(data.data()), length));
  } else if (type == kRegDword) {
    // The number is read again into a 32-bit integer, and that read decides
    // the status: a REG_DWORD of another size gives what that read gives (234
    // for eight bytes, the number 0). Four bytes are the number already, and
    // a second read would give the same at the cost of a registry call.
    int32_t number = 0;
    if (size == sizeof number) {
      std::memcpy(&number, data.data(), sizeof number);
    } else {
      status = read_dword(api, key.get(), name.c_str(), number);
    }
    value = number;
  }
  return status;
}

bool RegKeyExists(RegistryApi& api, RegHandle root, const std::wstring& subkey) {
  RegKey key;
  return OpenKey(api, root, subkey, key) == 0;
}

std::wstring ReadIniString(RegistryApi& api, const std::wstring& section, const std::wstring& key,
                           const Variant& default_value, const std::wstring& file_path) {
  const bool key_absent = is_absent(key);
  const bool section_absent = key_absent && is_absent(section);
  const std::string ansi_section = to_ansi(section);
  const std::string ansi_key = to_ansi(key);
  const std::string ansi_default = to_ansi(default_value.to_text());
  const std::string ansi_file = to_ansi(file_path);
  // A list ends in two NULs, a single string in one: a read that fills the
  // buffer up to them may have been cut off.
  const uint32_t trailing_nuls = key_absent ? 2 : 1;

  uint32_t size = kIniStep;
  std::string buffer;
  uint32_t n = 0;
  bool cut_off = true;
  while (cut_off) {
    buffer.assign(size, ' ');
    n = api.GetPrivateProfileStringA(section_absent ? nullptr : ansi_section.c_str(),
                                     key_absent ? nullptr : ansi_key.c_str(), ansi_default.c_str(),
                                     buffer.data(), size, ansi_file.c_str());
    cut_off = n == size - trailing_nuls &&
              buffer.find_first_not_of('\0', size - trailing_nuls) == std::string::npos;
    if (cut_off) size += kIniStep;
  }
  return from_ansi(std::string_view(buffer).substr(0, n));
}

}  // namespace pendrel::apps
