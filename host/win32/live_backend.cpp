#include "host/win32/live_backend.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <dsgetdc.h>
#include <iphlpapi.h>
#include <lm.h>
#include <winnetwk.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "platform/win32/handles.h"

namespace pendrel::host {
namespace {

using win32::unique_hkey;

// A buffer the network-management functions allocated, read as the type
// each call fills.
class net_buffer : public win32::unique_handle<LPBYTE, NetApiBufferFree> {
 public:
  template <class T>
  T** put_as() {
    return reinterpret_cast<T**>(put());
  }
  template <class T>
  const T* as() const {
    return reinterpret_cast<const T*>(get());
  }
};

class winsock_session {
 public:
  winsock_session() {
    WSADATA data;
    status_ = WSAStartup(MAKEWORD(2, 2), &data);
  }
  winsock_session(const winsock_session&) = delete;
  winsock_session& operator=(const winsock_session&) = delete;
  ~winsock_session() {
    if (status_ == 0) WSACleanup();
  }
  int status() const { return status_; }

 private:
  int status_;
};

using unique_socket = win32::unique_handle<SOCKET, closesocket, INVALID_SOCKET>;
using unique_addrinfo = win32::unique_handle<PADDRINFOW, FreeAddrInfoW>;

[[noreturn]] void raise_status(DWORD status, const std::wstring& what) {
  std::wstring description = what + L": ";
  wchar_t text[512];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                status, 0, text, static_cast<DWORD>(std::size(text)), nullptr);
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                        text[length - 1] == L' ' || text[length - 1] == L'.'))
    --length;
  // Network-management statuses (2100 and up) have no system message.
  description += length ? std::wstring(text, length) : L"status " + std::to_wstring(status);
  throw Error(static_cast<int32_t>(HRESULT_FROM_WIN32(status)), description);
}

std::wstring text_of(const wchar_t* p) { return p ? std::wstring(p) : std::wstring(); }

bool same_name(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring bare_name(const std::wstring& name) {
  return name.substr(std::min(name.find_first_not_of(L'\\'), name.size()));
}

std::wstring unc_name(const std::wstring& name) { return L"\\\\" + bare_name(name); }

const wchar_t* server_arg(const std::wstring& server) {
  return server.empty() ? nullptr : server.c_str();
}

std::wstring this_computer(COMPUTER_NAME_FORMAT format) {
  DWORD size = 0;
  GetComputerNameExW(format, nullptr, &size);
  std::wstring name(size, L'\0');
  if (!GetComputerNameExW(format, name.data(), &size))
    raise_status(GetLastError(), L"GetComputerNameExW");
  name.resize(size);
  return name;
}

bool is_this_computer(const std::wstring& name) {
  std::wstring bare = bare_name(name);
  return same_name(bare, this_computer(ComputerNameNetBIOS)) ||
         same_name(bare, this_computer(ComputerNameDnsHostname));
}

// The workgroup or domain of a workstation (empty server: this computer).
int32_t workstation_domain(const std::wstring& server, std::wstring& domain) {
  std::wstring name = server;
  net_buffer buffer;
  NET_API_STATUS status = NetWkstaGetInfo(name.empty() ? nullptr : name.data(), 100, buffer.put());
  if (status == NERR_Success) domain = text_of(buffer.as<WKSTA_INFO_100>()->wki100_langroup);
  return static_cast<int32_t>(status);
}

std::wstring this_domain() {
  std::wstring domain;
  if (int32_t status = workstation_domain({}, domain)) raise_status(status, L"NetWkstaGetInfo");
  return domain;
}

// Runs one of the Net*Enum functions to the end. next_batch(buffer, read,
// total) fetches the next batch and keeps its own resume handle; take sees
// every entry. The status of the first failing batch, 0 at the end.
template <class Entry, class NextBatch, class Take>
int32_t enumerate(NextBatch next_batch, Take take) {
  for (;;) {
    net_buffer buffer;
    DWORD read = 0, total = 0;
    NET_API_STATUS status = next_batch(buffer.put(), &read, &total);
    if (status != NERR_Success && status != ERROR_MORE_DATA) return static_cast<int32_t>(status);
    const Entry* entries = buffer.as<Entry>();
    for (DWORD i = 0; i < read; ++i) take(entries[i]);
    if (status == NERR_Success) return 0;
    if (read == 0) return ERROR_MORE_DATA;  // no progress: stop rather than spin
  }
}

template <class Entry, class NextBatch>
int32_t collect_accounts(LPWSTR Entry::*name, LPWSTR Entry::*detail, NextBatch next_batch,
                         std::vector<Account>& accounts) {
  std::vector<Account> found;
  int32_t status = enumerate<Entry>(next_batch, [&](const Entry& entry) {
    found.push_back({text_of(entry.*name), text_of(entry.*detail)});
  });
  if (status == 0) accounts = std::move(found);
  return status;
}

int32_t users_of(const std::wstring& server, std::vector<Account>& users) {
  DWORD resume = 0;
  return collect_accounts(
      &USER_INFO_20::usri20_name, &USER_INFO_20::usri20_full_name,
      [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
        return NetUserEnum(server_arg(server), 20, FILTER_NORMAL_ACCOUNT, buffer,
                           MAX_PREFERRED_LENGTH, read, total, &resume);
      },
      users);
}

int32_t global_groups_of(const std::wstring& server, std::vector<Account>& groups) {
  DWORD_PTR resume = 0;
  return collect_accounts(
      &GROUP_INFO_1::grpi1_name, &GROUP_INFO_1::grpi1_comment,
      [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
        return NetGroupEnum(server_arg(server), 1, buffer, MAX_PREFERRED_LENGTH, read, total,
                            &resume);
      },
      groups);
}

int32_t local_groups_of(const std::wstring& server, std::vector<Account>& groups) {
  DWORD_PTR resume = 0;
  return collect_accounts(
      &LOCALGROUP_INFO_1::lgrpi1_name, &LOCALGROUP_INFO_1::lgrpi1_comment,
      [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
        return NetLocalGroupEnum(server_arg(server), 1, buffer, MAX_PREFERRED_LENGTH, read, total,
                                 &resume);
      },
      groups);
}

// The controller that answers for domain, empty when none is found.
std::wstring domain_controller(const std::wstring& domain) {
  net_buffer buffer;
  if (DsGetDcNameW(nullptr, domain.c_str(), nullptr, nullptr, DS_RETURN_FLAT_NAME,
                   buffer.put_as<DOMAIN_CONTROLLER_INFOW>()) == ERROR_SUCCESS)
    return text_of(buffer.as<DOMAIN_CONTROLLER_INFOW>()->DomainControllerName);
  if (NetGetDCName(nullptr, domain.c_str(), buffer.put()) == NERR_Success)
    return text_of(buffer.as<wchar_t>());
  return {};
}

// Whether domain's accounts are this computer's own: its name, or the
// workgroup it belongs to when it has joined no domain.
bool accounts_are_local(const std::wstring& domain) {
  if (is_this_computer(domain)) return true;
  net_buffer name;
  NETSETUP_JOIN_STATUS join = NetSetupUnknownStatus;
  if (NetGetJoinInformation(nullptr, name.put_as<wchar_t>(), &join) != NERR_Success) return false;
  return join != NetSetupDomainName && same_name(domain, text_of(name.as<wchar_t>()));
}

// The server to ask for domain's accounts: empty for this computer, else its
// controller, else the domain name itself as a server.
std::wstring account_server(const std::wstring& domain) {
  if (accounts_are_local(domain)) return {};
  std::wstring controller = domain_controller(domain);
  return controller.empty() ? unc_name(domain) : controller;
}

// Registry roots are the predefined keys, which are sign-extended 32-bit values.
HKEY predefined_key(uint32_t root) {
  if (root < 0x80000000u || root > 0x80000005u) throw Error::vb(vb_error::kInvalidProcedureCall);
  return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(root)));
}

// The root key of one registry operation: the predefined key itself on this
// computer, a connection to it on another.
class registry_root {
 public:
  registry_root(uint32_t root, bool local) : predefined_(predefined_key(root)), local_(local) {}

  DWORD connect(const std::wstring& computer) {
    if (local_) return ERROR_SUCCESS;
    return RegConnectRegistryW(unc_name(computer).c_str(), predefined_, connected_.put());
  }
  HKEY get() const { return local_ ? predefined_ : connected_.get(); }

 private:
  HKEY predefined_;
  bool local_;
  unique_hkey connected_;
};

// The type and bytes of a value, untouched unless the status is 0;
// ERROR_FILE_NOT_FOUND when the value is absent.
DWORD query_value(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
  std::vector<BYTE> buffer(256);
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD found_type = REG_NONE;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &found_type, buffer.data(), &size);
    if (status == ERROR_MORE_DATA) {
      // The value may grow between calls; some keys report no size at all.
      buffer.resize(std::max<size_t>(size, buffer.size() * 2));
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    buffer.resize(size);
    type = found_type;
    data = std::move(buffer);
    return ERROR_SUCCESS;
  }
}

std::wstring wide_text(const std::vector<BYTE>& data) {
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  return text;
}

Variant value_of(DWORD type, std::vector<BYTE> data) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      std::wstring text = wide_text(data);
      return text.substr(0, text.find(L'\0'));
    }
    case REG_MULTI_SZ: {
      std::wstring text = wide_text(data);
      text.erase(text.find_last_not_of(L'\0') + 1);
      return text;
    }
    case REG_DWORD:
      if (data.size() == sizeof(int32_t)) {
        int32_t n;
        std::memcpy(&n, data.data(), sizeof n);
        return n;
      }
      break;
  }
  return Bytes(std::move(data));
}

struct RegistryData {
  DWORD type;
  std::vector<BYTE> bytes;
};

RegistryData dword_data(int32_t n) {
  std::vector<BYTE> bytes(sizeof n);
  std::memcpy(bytes.data(), &n, sizeof n);
  return {REG_DWORD, std::move(bytes)};
}

RegistryData data_of(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::Bytes:
      return {REG_BINARY, std::vector<BYTE>(value.bytes().begin(), value.bytes().end())};
    case Variant::Kind::Boolean:
      return dword_data(value.to_bool() ? 1 : 0);
    case Variant::Kind::Int16:
    case Variant::Kind::Int32:
    case Variant::Kind::Double:
      return dword_data(value.to_long());
    default: {
      std::wstring text = value.to_text();
      std::vector<BYTE> bytes((text.size() + 1) * sizeof(wchar_t));
      std::memcpy(bytes.data(), text.c_str(), bytes.size());
      return {REG_SZ, std::move(bytes)};
    }
  }
}

std::optional<IN_ADDR> resolve_ipv4(const std::wstring& name) {
  winsock_session winsock;
  if (winsock.status() != 0 || name.empty()) return std::nullopt;
  ADDRINFOW hints{};
  hints.ai_family = AF_INET;
  unique_addrinfo result;
  if (GetAddrInfoW(bare_name(name).c_str(), nullptr, &hints, result.put()) != 0)
    return std::nullopt;
  for (const ADDRINFOW* a = result.get(); a; a = a->ai_next)
    if (a->ai_family == AF_INET) return reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr;
  return std::nullopt;
}

// The date and zone of a clock that reads utc_seconds since 1970 in a zone of
// bias minutes (UTC = local + bias; -1 when the zone is unknown).
RemoteTime time_of(int64_t utc_seconds, int32_t bias) {
  constexpr double kUnixEpoch = 25569;  // 1 January 1970 as a date
  RemoteTime result;
  int64_t local = utc_seconds;
  if (bias != -1) {
    local -= int64_t{bias} * 60;
    result.bias = result.tz = bias;
  }
  result.time = Date{kUnixEpoch + static_cast<double>(local / 86400) +
                     static_cast<double>(local % 86400) / 86400};
  return result;
}

RemoteTime local_time() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  constexpr int64_t kUnixEpochTicks = 116444736000000000;  // 1970 in 100 ns since 1601
  int64_t ticks = int64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime;
  TIME_ZONE_INFORMATION zone;
  int32_t bias = -1;
  switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_STANDARD:
      bias = zone.Bias + zone.StandardBias;
      break;
    case TIME_ZONE_ID_DAYLIGHT:
      bias = zone.Bias + zone.DaylightBias;
      break;
    case TIME_ZONE_ID_UNKNOWN:
      bias = zone.Bias;
      break;
  }
  return time_of((ticks - kUnixEpochTicks) / 10000000, bias);
}

using MacAddress = std::array<uint8_t, 6>;

// 12 hex digits, optionally separated by ':', '-', '.' or spaces.
std::optional<MacAddress> parse_mac(const std::wstring& text) {
  MacAddress mac{};
  size_t digits = 0;
  for (wchar_t c : text) {
    if (c == L':' || c == L'-' || c == L'.' || c == L' ') continue;
    int value;
    if (c >= L'0' && c <= L'9')
      value = c - L'0';
    else if (c >= L'a' && c <= L'f')
      value = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
      value = c - L'A' + 10;
    else
      return std::nullopt;
    if (digits == 12) return std::nullopt;
    mac[digits / 2] = static_cast<uint8_t>(mac[digits / 2] << 4 | value);
    ++digits;
  }
  if (digits != 12) return std::nullopt;
  return mac;
}

// UDP port 9 of the limited broadcast address unless PENDREL_WAKE_TARGET
// holds an IPv4 "address[:port]"; nothing when that value is malformed. The
// variable is a test seam: release builds always take the broadcast address.
std::optional<sockaddr_in> wake_target() {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = INADDR_BROADCAST;
  target.sin_port = htons(9);
#ifndef PENDREL_TEST_SEAMS
  return target;
#else
  wchar_t value[64];
  DWORD length = GetEnvironmentVariableW(L"PENDREL_WAKE_TARGET", value, std::size(value));
  if (length == 0) return target;
  if (length >= std::size(value)) return std::nullopt;
  std::wstring text(value, length);
  size_t colon = text.find(L':');
  if (InetPtonW(AF_INET, text.substr(0, colon).c_str(), &target.sin_addr) != 1) return std::nullopt;
  if (colon != std::wstring::npos) {
    std::wstring port = text.substr(colon + 1);
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of(L"0123456789") != std::wstring::npos)
      return std::nullopt;
    unsigned long number = std::wcstoul(port.c_str(), nullptr, 10);
    if (number == 0 || number > 65535) return std::nullopt;
    target.sin_port = htons(static_cast<u_short>(number));
  }
  return target;
#endif
}

class LiveComputer final : public ComputerBackend {
 public:
  explicit LiveComputer(std::wstring name)
      : name_(std::move(name)), server_(unc_name(name_)), local_(is_this_computer(name_)) {}

  std::wstring name() override { return name_; }

  std::wstring domain() override {
    if (!domain_) {
      std::wstring domain;
      if (local_ || workstation_domain(server_, domain) != 0) domain = this_domain();
      domain_ = std::move(domain);
    }
    return *domain_;
  }

  std::wstring ip_address() override {
    std::optional<IN_ADDR> address = resolve_ipv4(name_);
    if (!address) return L"Error = 2";
    wchar_t text[INET_ADDRSTRLEN];
    if (!InetNtopW(AF_INET, &*address, text, std::size(text))) return L"Error = 2";
    return text;
  }

  std::wstring mac_address() override {
    std::optional<IN_ADDR> address = resolve_ipv4(name_);
    if (!address) return {};
    ULONG mac[2];
    ULONG length = sizeof mac;
    if (SendARP(address->s_addr, 0, mac, &length) != NO_ERROR || length != 6) return {};
    const auto* bytes = reinterpret_cast<const uint8_t*>(mac);
    wchar_t text[18];
    std::swprintf(text, std::size(text), L"%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1],
                  bytes[2], bytes[3], bytes[4], bytes[5]);
    return text;
  }

  int32_t server_information(int16_t level, ServerInfo& info) override {
    if (level != 101 && level != 102) return ERROR_INVALID_LEVEL;
    std::wstring server = server_;
    net_buffer buffer;
    NET_API_STATUS status = NetServerGetInfo(server.data(), level, buffer.put());
    // Servers without level 102 (Wine among them) answer the same members at 101.
    if (status == ERROR_INVALID_LEVEL && level == 102)
      status = NetServerGetInfo(server.data(), 101, buffer.put());
    if (status != NERR_Success) return static_cast<int32_t>(status);
    // Level 102 begins with the members of level 101.
    const auto* answer = buffer.as<SERVER_INFO_101>();
    info =
        ServerInfo{text_of(answer->sv101_comment), static_cast<int32_t>(answer->sv101_platform_id),
                   static_cast<int32_t>(answer->sv101_version_major & MAJOR_VERSION_MASK),
                   static_cast<int32_t>(answer->sv101_version_minor), answer->sv101_type};
    return 0;
  }

  RemoteTime remote_time() override {
    if (local_) return local_time();
    // Wine's NetRemoteTOD is a stub that ends the process; a server that does
    // not answer is an error before it is ever called.
    std::wstring server = server_;
    net_buffer buffer;
    NET_API_STATUS status = NetServerGetInfo(server.data(), 101, buffer.put());
    if (status == NERR_Success) status = NetRemoteTOD(server_.c_str(), buffer.put());
    if (status != NERR_Success) raise_status(status, L"NetRemoteTOD " + server_);
    const auto* tod = buffer.as<TIME_OF_DAY_INFO>();
    return time_of(tod->tod_elapsedt, tod->tod_timezone);
  }

  int32_t users(std::vector<Account>& users) override { return users_of(server_, users); }
  int32_t global_groups(std::vector<Account>& groups) override {
    return global_groups_of(server_, groups);
  }
  int32_t local_groups(std::vector<Account>& groups) override {
    return local_groups_of(server_, groups);
  }

  int32_t logged_on_users(std::vector<LoggedOnUser>& users) override {
    std::wstring server = server_;
    DWORD resume = 0;
    std::vector<LoggedOnUser> found;
    int32_t status = enumerate<WKSTA_USER_INFO_1>(
        [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
          return NetWkstaUserEnum(server.data(), 1, buffer, MAX_PREFERRED_LENGTH, read, total,
                                  &resume);
        },
        [&](const WKSTA_USER_INFO_1& entry) {
          // Every session of an account is listed; the account is shown once.
          LoggedOnUser user{text_of(entry.wkui1_logon_domain), text_of(entry.wkui1_username)};
          for (const LoggedOnUser& seen : found)
            if (same_name(seen.domain, user.domain) && same_name(seen.name, user.name)) return;
          found.push_back(std::move(user));
        });
    if (status == 0) users = std::move(found);
    return status;
  }

  Variant registry_value(uint32_t root, const std::wstring& key, const std::wstring& name,
                         const Variant& value_default) override {
    registry_root machine(root, local_);
    if (DWORD status = machine.connect(name_))
      raise_status(status, L"RegConnectRegistryW " + server_);
    unique_hkey opened;
    LSTATUS status = RegOpenKeyExW(machine.get(), key.c_str(), 0, KEY_QUERY_VALUE, opened.put());
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (status == ERROR_SUCCESS) status = query_value(opened.get(), name, type, data);
    if (status == ERROR_FILE_NOT_FOUND) return value_default;
    if (status != ERROR_SUCCESS) raise_status(status, L"RegQueryValueExW " + key + L"\\" + name);
    return value_of(type, std::move(data));
  }

  int32_t set_registry_value(uint32_t root, const std::wstring& key, const std::wstring& name,
                             const Variant& value) override {
    RegistryData data = data_of(value);
    registry_root machine(root, local_);
    if (DWORD status = machine.connect(name_)) return static_cast<int32_t>(status);
    unique_hkey opened;
    LSTATUS status = RegCreateKeyExW(machine.get(), key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, opened.put(), nullptr);
    if (status == ERROR_SUCCESS)
      status = RegSetValueExW(opened.get(), name.c_str(), 0, data.type, data.bytes.data(),
                              static_cast<DWORD>(data.bytes.size()));
    return static_cast<int32_t>(status);
  }

  int32_t wake(const std::wstring& mac) override {
    std::optional<MacAddress> address = parse_mac(mac);
    std::optional<sockaddr_in> target = wake_target();
    if (!address || !target) return ERROR_INVALID_PARAMETER;
    // The magic packet: six 0xFF bytes, then the address sixteen times.
    std::array<uint8_t, 6 + 16 * 6> packet;
    packet.fill(0xFF);
    for (size_t i = 6; i < packet.size(); i += 6)
      std::memcpy(&packet[i], address->data(), address->size());

    winsock_session winsock;
    if (winsock.status() != 0) return winsock.status();
    unique_socket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (s.get() == INVALID_SOCKET) return WSAGetLastError();
    BOOL broadcast = TRUE;
    if (setsockopt(s.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&broadcast),
                   sizeof broadcast) == SOCKET_ERROR ||
        sendto(s.get(), reinterpret_cast<const char*>(packet.data()),
               static_cast<int>(packet.size()), 0, reinterpret_cast<const sockaddr*>(&*target),
               sizeof *target) == SOCKET_ERROR)
      return WSAGetLastError();
    return 0;
  }

  bool map_resource(const std::wstring& share, const std::wstring& account,
                    const std::wstring& password) override {
    std::wstring remote = server_ + L"\\" + share;
    NETRESOURCEW resource{};
    resource.dwType = RESOURCETYPE_ANY;
    resource.lpRemoteName = remote.data();
    // Without an account the connection uses the console user's own credentials.
    const wchar_t* user = account.empty() ? nullptr : account.c_str();
    const wchar_t* secret = account.empty() ? nullptr : password.c_str();
    return WNetAddConnection2W(&resource, secret, user, 0) == NO_ERROR;
  }

  int32_t unmap_resource(const std::wstring& share, bool force) override {
    std::wstring remote = server_ + L"\\" + share;
    return static_cast<int32_t>(WNetCancelConnection2W(remote.c_str(), 0, force));
  }

 private:
  std::wstring name_;
  std::wstring server_;  // "\\name", as the network-management functions take it
  bool local_;
  std::optional<std::wstring> domain_;
};

class LiveDomain final : public DomainBackend {
 public:
  std::wstring this_computer_name() override { return this_computer(ComputerNameNetBIOS); }
  std::wstring this_domain_name() override { return this_domain(); }

  bool domain_exists(const std::wstring& domain) override {
    return !domain.empty() && (accounts_are_local(domain) || same_name(domain, this_domain()) ||
                               !domain_controller(domain).empty());
  }

  int32_t domain_users(const std::wstring& domain, std::vector<Account>& users) override {
    return users_of(account_server(domain), users);
  }
  int32_t domain_global_groups(const std::wstring& domain, std::vector<Account>& groups) override {
    return global_groups_of(account_server(domain), groups);
  }
  int32_t domain_local_groups(const std::wstring& domain, std::vector<Account>& groups) override {
    return local_groups_of(account_server(domain), groups);
  }

  int32_t domain_computers(const std::wstring& domain, std::vector<std::wstring>& names) override {
    DWORD resume = 0;
    std::vector<std::wstring> found;
    int32_t status = enumerate<SERVER_INFO_100>(
        [&](LPBYTE* buffer, DWORD* read, DWORD* total) {
          return NetServerEnum(nullptr, 100, buffer, MAX_PREFERRED_LENGTH, read, total, SV_TYPE_ALL,
                               domain.c_str(), &resume);
        },
        [&](const SERVER_INFO_100& entry) { found.push_back(text_of(entry.sv100_name)); });
    if (status == 0) names = std::move(found);
    return status;
  }

  std::unique_ptr<ComputerBackend> computer(const std::wstring& name) override {
    return std::make_unique<LiveComputer>(name);
  }
};

}  // namespace

std::unique_ptr<DomainBackend> make_live_domain() { return std::make_unique<LiveDomain>(); }

}  // namespace pendrel::host
