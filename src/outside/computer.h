// The host's Computer object and the items and collections it hands out, as
// typed facades over Dispatch. Each member name the library calls on them is
// written here once; every call goes to the host, nothing is cached.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/dispatch.h"
#include "core/variant.h"

namespace pendrel::outside {

// HKEY_LOCAL_MACHINE as the registry members of Computer take it: the 32-bit
// integer with this bit pattern (negative as a signed value).
inline constexpr uint32_t kHkeyLocalMachine = 0x80000002;
// Status of GetServerInformation for a network path that was not found.
inline constexpr int32_t kStatusPathNotFound = 53;
// TZBias when the computer reported no bias.
inline constexpr int32_t kNoTimeZoneBias = 9999;

// One non-null object reference of the host. A null reference raises "Object
// variable or With block variable not set" (91), a value that is no object
// "Object required" (424), as VB raises them when it would use the object.
class HostObject {
 public:
  explicit HostObject(DispatchPtr object);
  explicit HostObject(const Variant& value);

  const DispatchPtr& object() const { return object_; }

 protected:
  Dispatch& dispatch() const { return *object_; }

 private:
  DispatchPtr object_;
};

// An account of the computer or of a domain.
class User : public HostObject {
 public:
  using HostObject::HostObject;
  std::wstring name() const;
  std::wstring full_name() const;
  // Fills FullName; the callers pass level 3.
  void get_user_information(int16_t level) const;
};

class Group : public HostObject {
 public:
  using HostObject::HostObject;
  std::wstring name() const;
  std::wstring description() const;
  // Returns the description and also fills Description.
  std::wstring get_description() const;
};

// An entry of the computer's LoggedOnUsers.
class LoggedOnUser : public HostObject {
 public:
  using HostObject::HostObject;
  std::wstring domain() const;
  std::wstring name() const;
};

// A host collection. Items are reached through its default member, by 1-based
// position or by name.
template <class Item>
class Collection : public HostObject {
 public:
  using HostObject::HostObject;
  int32_t count() const;
  // Asks the host to fill the collection.
  void get_items() const;
  Item item(int32_t position) const;
  // No item for a name the collection does not hold.
  std::optional<Item> find(const std::wstring& name) const;
};

using Users = Collection<User>;
using Groups = Collection<Group>;
using LoggedOnUsers = Collection<LoggedOnUser>;

extern template class Collection<User>;
extern template class Collection<Group>;
extern template class Collection<LoggedOnUser>;

// A share of the computer as Resources returns it.
class Resource : public HostObject {
 public:
  using HostObject::HostObject;
  // Connects with the credentials; true when connected.
  bool map(const std::wstring& account, const std::wstring& password) const;
  void unmap(bool force) const;
};

class Computer : public HostObject {
 public:
  using HostObject::HostObject;

  // The default member (dispatch id 0): the computer's name.
  std::wstring default_member() const;
  std::wstring name() const;
  std::wstring domain() const;

  bool reachable() const;
  void set_reachable(bool reachable) const;
  std::wstring ip_addr() const;
  void set_ip_addr(const std::wstring& address) const;
  std::wstring mac_addr() const;
  void set_mac_addr(const std::wstring& address) const;
  void wake() const;
  Resource resources(const std::wstring& share) const;

  // Level 102 (reachability) or 101 (details); 0 success, 53 path not found.
  int32_t get_server_information(int16_t level) const;
  // The answer of GetServerInformation, as the host left it (possibly Null):
  // the callers convert it each in their own way.
  Variant description() const;
  Variant platform_id() const;
  Variant version_major() const;
  Variant version_minor() const;
  Variant platform_type() const;

  // The remote date-time; Empty when the host has no answer.
  Variant time() const;
  int32_t tz_bias() const;
  int32_t tz() const;

  // Loads Users. The logon window calls it without the argument and ignores
  // the result; the details window passes true and tests the status.
  void get_users() const;
  int32_t get_users(bool flag) const;
  Users users() const;
  Groups local_local_groups() const;
  LoggedOnUsers logged_on_users() const;
  // LoggedOnUsers read with the 1-based position (by reference) as its argument.
  LoggedOnUser logged_on_user(int32_t position) const;
  // Loads GlobalGroups and LocalGroups.
  void get_groups() const;
  Groups global_groups() const;
  Groups local_groups() const;

  // The stored value, or value_default when it is absent.
  Variant get_registry_value(uint32_t root, const std::wstring& key_path,
                             const std::wstring& value_name, Variant value_default) const;
  int32_t set_registry_value(uint32_t root, const std::wstring& key_path,
                             const std::wstring& value_name, Variant value) const;

  bool logons_enabled() const;
  void set_logons_enabled(bool enabled) const;
  bool unlocks_enabled() const;
  void set_unlocks_enabled(bool enabled) const;
  std::wstring unavailable_caption() const;
  void set_unavailable_caption(const std::wstring& caption) const;
  std::wstring unavailable_text() const;
  void set_unavailable_text(const std::wstring& text) const;
};

}  // namespace pendrel::outside
