// tavisk.dll: finds the console user of a computer and mounts or unmounts a
// registry hive on it, through the Windows registry API (remote registry for
// other computers).
#include "tavisk_api.h"

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/handles.h"
#include "platform/win32/hive_privileges.h"

namespace {

using pendrel::win32::unique_hkey;
using pendrel::win32::unique_kernel_handle;

constexpr std::size_t kBufferSize = 50;
constexpr char kWinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

template <class F>
int32_t guarded(F&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_INTERNAL_ERROR;
  }
}

// The predefined key a 32-bit root value stands for (0x80000002 is
// sign-extended, as the HKEY_* constants are).
HKEY predefined_key(int32_t root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(root)));
}

// A computer name without its leading "\\"; empty for none.
std::string_view bare_name(const char* name) {
  std::string_view bare = name ? name : "";
  if (bare.starts_with("\\\\")) bare.remove_prefix(2);
  return bare;
}

std::string this_computer_name() {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

bool is_this_computer(std::string_view name) {
  return name.empty() || lstrcmpiA(std::string(name).c_str(), this_computer_name().c_str()) == 0;
}


// The root key of a computer: the predefined key for an empty name, a
// connection for any name. A connection to this computer's own name reaches
// the local registry; if it is refused, the predefined key reaches the same.
struct MachineRoot {
  unique_hkey connection;
  HKEY handle = nullptr;
};

LONG open_root(std::string_view machine, int32_t root, MachineRoot& out) {
  const HKEY predefined = predefined_key(root);
  if (machine.empty()) {
    out.handle = predefined;
    return ERROR_SUCCESS;
  }
  const std::string unc = "\\\\" + std::string(machine);
  const LONG status = RegConnectRegistryA(unc.c_str(), predefined, out.connection.put());
  if (status == ERROR_SUCCESS) {
    out.handle = out.connection.get();
  } else if (is_this_computer(machine)) {
    out.handle = predefined;
    return ERROR_SUCCESS;
  }
  return status;
}

bool key_exists(HKEY root, const char* key) {
  unique_hkey opened;
  return RegOpenKeyExA(root, key, 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

// A hive file that is not a hive makes Wine's RegLoadKey fail after creating
// the mount point: remove that empty key, so that a failed mount does not look
// like a mounted hive to the next caller that checks whether the key exists.
void remove_if_empty(HKEY root, const char* key) {
  DWORD subkeys = 0;
  DWORD values = 0;
  {
    unique_hkey opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return;
    if (RegQueryInfoKeyA(opened.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return;
    }
  }
  if (subkeys == 0 && values == 0) RegDeleteKeyA(root, key);
}

struct ConsoleUser {
  std::string name;     // the account name alone
  std::string account;  // "AUTHORITY\account"
};

// Writes text cut to the buffer: at most 49 characters and a NUL.
void copy_cut(char* buffer, std::string_view text) {
  const std::size_t length = text.size() < kBufferSize ? text.size() : kBufferSize - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

#ifdef PENDREL_TEST_SEAMS
// The test seam: tests stand in for the console of any computer through the
// environment. Release builds leave it out.
constexpr char kConsoleUserVariable[] = "PENDREL_TAVISK_CONSOLE_USER";

std::optional<std::string> environment_value(const char* name) {
  std::string value(64, '\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (size == 0) {
      // Zero is also the length of a variable that is set but empty.
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (size < value.size()) {
      value.resize(size);
      return value;
    }
    value.resize(size);
  }
}

LONG injected_console_user(const std::string& value, ConsoleUser& out) {
  if (value.empty()) return ERROR_NO_SUCH_LOGON_SESSION;
  const std::size_t backslash = value.find('\\');
  out.name = backslash == std::string::npos ? value : value.substr(backslash + 1);
  out.account = value;
  return ERROR_SUCCESS;
}
#endif

// The console of this computer is where the console program runs, so its
// user is the user this process runs as.
LONG this_console_user(ConsoleUser& out) {
  char name[257];
  DWORD name_size = sizeof name;
  if (!GetUserNameA(name, &name_size)) return static_cast<LONG>(GetLastError());
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sid_size = sizeof sid;
  char authority[257];
  DWORD authority_size = sizeof authority;
  SID_NAME_USE use;
  std::string domain;
  if (LookupAccountNameA(nullptr, name, sid, &sid_size, authority, &authority_size, &use) &&
      authority[0] != '\0') {
    domain = authority;
  } else {
    domain = this_computer_name();
  }
  out.name = name;
  out.account = domain + "\\" + out.name;
  return ERROR_SUCCESS;
}

LONG read_text(HKEY key, const char* value_name, std::string& out) {
  DWORD type = 0;
  DWORD size = 0;
  LONG status = RegQueryValueExA(key, value_name, nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  std::string text(size, '\0');
  status = RegQueryValueExA(key, value_name, nullptr, nullptr,
                            reinterpret_cast<BYTE*>(text.data()), &size);
  if (status != ERROR_SUCCESS) return status;
  // The stored data need not end in a NUL, or may hold several.
  text.resize(strnlen(text.data(), size));
  out = std::move(text);
  return ERROR_SUCCESS;
}

LONG remote_console_user(std::string_view machine, ConsoleUser& out) {
  unique_hkey connection;
  const std::string unc = "\\\\" + std::string(machine);
  LONG status = RegConnectRegistryA(unc.c_str(), HKEY_LOCAL_MACHINE, connection.put());
  if (status != ERROR_SUCCESS) return status;
  unique_hkey winlogon;
  status = RegOpenKeyExA(connection.get(), kWinlogonKey, 0, KEY_QUERY_VALUE, winlogon.put());
  if (status != ERROR_SUCCESS) return status;
  std::string name;
  status = read_text(winlogon.get(), "DefaultUserName", name);
  if (status != ERROR_SUCCESS) return status;
  if (name.empty()) return ERROR_NO_SUCH_LOGON_SESSION;
  std::string domain;
  if (read_text(winlogon.get(), "DefaultDomainName", domain) != ERROR_SUCCESS || domain.empty()) {
    domain = std::string(machine);
  }
  out.name = name;
  out.account = domain + "\\" + name;
  return ERROR_SUCCESS;
}

}  // namespace

extern "C" int32_t WINAPI NetGetInteractiveUser(const char* server, char* user, char* account) {
  return guarded([&]() -> int32_t {
    if (!user || !account) return ERROR_INVALID_PARAMETER;
    const std::string_view machine = bare_name(server);
    ConsoleUser found;
    LONG status;
#ifdef PENDREL_TEST_SEAMS
    if (const auto injected = environment_value(kConsoleUserVariable)) {
      status = injected_console_user(*injected, found);
    } else
#endif
    if (is_this_computer(machine)) {
      status = this_console_user(found);
    } else {
      status = remote_console_user(machine, found);
    }
    if (status != ERROR_SUCCESS) return status;
    copy_cut(user, found.name);
    copy_cut(account, found.account);
    return ERROR_SUCCESS;
  });
}

extern "C" int32_t WINAPI NetRegLoadKey(const char* machine, int32_t root, const char* key,
                                        const char* hive_file) {
  return guarded([&]() -> int32_t {
    if (!key || !*key || !hive_file) return ERROR_INVALID_PARAMETER;
    const pendrel::win32::HivePrivileges privileges;
    MachineRoot target;
    LONG status = open_root(bare_name(machine), root, target);
    if (status != ERROR_SUCCESS) return status;
    const bool existed = key_exists(target.handle, key);
    status = RegLoadKeyA(target.handle, key, hive_file);
    if (status != ERROR_SUCCESS && !existed) remove_if_empty(target.handle, key);
    return status;
  });
}

extern "C" int32_t WINAPI NetRegUnLoadKey(const char* machine, int32_t root, const char* key) {
  return guarded([&]() -> int32_t {
    if (!key || !*key) return ERROR_INVALID_PARAMETER;
    const pendrel::win32::HivePrivileges privileges;
    MachineRoot target;
    const LONG status = open_root(bare_name(machine), root, target);
    if (status != ERROR_SUCCESS) return status;
    return RegUnLoadKeyA(target.handle, key);
  });
}
