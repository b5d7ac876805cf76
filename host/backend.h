// What the reference host needs from the machine and the domain it shows: the
// fixture backend answers from a text file, the live backend from the Windows
// network-management, time, registry and connection APIs. The COM objects of
// the host keep their writable state (reachability, addresses) themselves and
// call the backend for everything else. Every call may raise pendrel::Error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"

namespace pendrel::host {

inline constexpr uint32_t kHkeyLocalMachine = 0x80000002;
inline constexpr int32_t kStatusPathNotFound = 53;  // ERROR_BAD_NETPATH
inline constexpr int32_t kNoTimeZoneBias = 9999;

struct ServerInfo {
  std::wstring description;
  int32_t platform_id = 0;
  int32_t version_major = 0;
  int32_t version_minor = 0;
  uint32_t type = 0;  // SV_TYPE_* bits
};

// A user (detail = full name) or a group (detail = description).
struct Account {
  std::wstring name;
  std::wstring detail;
};

struct LoggedOnUser {
  std::wstring domain;
  std::wstring name;
};

struct RemoteTime {
  Date time;                       // the computer's local time
  int32_t bias = kNoTimeZoneBias;  // minutes, UTC = local + bias
  int32_t tz = 0;                  // the zone's own bias in minutes
};

// The host objects call enter() at the start of every member, named
// "<Object>.<Member>" (e.g. "Computer.GetUsers"), and items call the hook of
// the backend they came from; the fixture backend injects delays and
// failures there.
class MemberHook {
 public:
  virtual ~MemberHook() = default;
  virtual void enter(std::wstring_view member) {}
};

class ComputerBackend : public MemberHook {
 public:
  virtual std::wstring name() = 0;
  virtual std::wstring domain() = 0;
  // Initial addresses; "Error = 2" for an IP address when the name does not resolve.
  virtual std::wstring ip_address() = 0;
  virtual std::wstring mac_address() = 0;

  // Status 0 fills info; 53 when the computer cannot be reached.
  virtual int32_t server_information(int16_t level, ServerInfo& info) = 0;
  virtual RemoteTime remote_time() = 0;

  // Status 0 fills the list.
  virtual int32_t users(std::vector<Account>& users) = 0;
  virtual int32_t global_groups(std::vector<Account>& groups) = 0;
  virtual int32_t local_groups(std::vector<Account>& groups) = 0;
  virtual int32_t logged_on_users(std::vector<LoggedOnUser>& users) = 0;

  // The stored value, or value_default when the key or value is absent.
  virtual Variant registry_value(uint32_t root, const std::wstring& key, const std::wstring& name,
                                 const Variant& value_default) = 0;
  virtual int32_t set_registry_value(uint32_t root, const std::wstring& key,
                                     const std::wstring& name, const Variant& value) = 0;

  // Wake-on-LAN magic packet for mac (12 hex digits, separators allowed).
  virtual int32_t wake(const std::wstring& mac) = 0;
  // A share of the computer ("IPC$"): connect with the credentials / drop it.
  virtual bool map_resource(const std::wstring& share, const std::wstring& account,
                            const std::wstring& password) = 0;
  virtual int32_t unmap_resource(const std::wstring& share, bool force) = 0;
};

class DomainBackend : public MemberHook {
 public:
  virtual std::wstring this_computer_name() = 0;
  virtual std::wstring this_domain_name() = 0;

  virtual bool domain_exists(const std::wstring& domain) = 0;
  // Status 0 fills the list.
  virtual int32_t domain_users(const std::wstring& domain, std::vector<Account>& users) = 0;
  virtual int32_t domain_global_groups(const std::wstring& domain, std::vector<Account>& groups) = 0;
  virtual int32_t domain_local_groups(const std::wstring& domain, std::vector<Account>& groups) = 0;
  virtual int32_t domain_computers(const std::wstring& domain, std::vector<std::wstring>& names) = 0;

  // A computer of this domain (or any name the backend can reach).
  virtual std::unique_ptr<ComputerBackend> computer(const std::wstring& name) = 0;
};

}  // namespace pendrel::host
