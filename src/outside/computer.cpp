#include "outside/computer.h"

#include <bit>
#include <utility>
#include <vector>

#include "core/error.h"

namespace pendrel::outside {
namespace {

DispatchPtr require_object(DispatchPtr object) {
  if (!object) throw Error::vb(vb_error::kObjectVariableNotSet);
  return object;
}

}  // namespace

HostObject::HostObject(DispatchPtr object) : object_(require_object(std::move(object))) {}

HostObject::HostObject(const Variant& value) : object_(require_object(value.to_object())) {}

std::wstring User::name() const { return dispatch().get(L"Name").to_text(); }
std::wstring User::full_name() const { return dispatch().get(L"FullName").to_text(); }
void User::get_user_information(int16_t level) const {
  dispatch().call(L"GetUserInformation", {level});
}

std::wstring Group::name() const { return dispatch().get(L"Name").to_text(); }
std::wstring Group::description() const { return dispatch().get(L"Description").to_text(); }
std::wstring Group::get_description() const {
  return dispatch().call(L"GetDescription").to_text();
}

std::wstring LoggedOnUser::domain() const { return dispatch().get(L"Domain").to_text(); }
std::wstring LoggedOnUser::name() const { return dispatch().get(L"Name").to_text(); }

template <class Item>
int32_t Collection<Item>::count() const {
  return dispatch().get(L"Count").to_long();
}

template <class Item>
void Collection<Item>::get_items() const {
  dispatch().call(L"GetItems");
}

template <class Item>
Item Collection<Item>::item(int32_t position) const {
  // By reference, as VB hands over its loop variable.
  return Item(dispatch().get(kDispIdValue, {Argument(Variant(position), true)}));
}

template <class Item>
std::optional<Item> Collection<Item>::find(const std::wstring& name) const {
  // Hosts report a missing name either by raising an error or by returning no
  // object; the callers look names up with errors ignored, so both mean "not
  // there" and only this lookup's own error is absorbed.
  Variant found;
  try {
    found = dispatch().get(kDispIdValue, {name});
  } catch (const Error&) {
    return std::nullopt;
  }
  if (!found.is_object() || !found.object()) return std::nullopt;
  return Item(found);
}

template class Collection<User>;
template class Collection<Group>;
template class Collection<LoggedOnUser>;

bool Resource::map(const std::wstring& account, const std::wstring& password) const {
  return dispatch().call(L"Map", {account, password}).to_bool();
}
void Resource::unmap(bool force) const { dispatch().call(L"UnMap", {force}); }

std::wstring Computer::default_member() const { return dispatch().get(kDispIdValue).to_text(); }
std::wstring Computer::name() const { return dispatch().get(L"Name").to_text(); }
std::wstring Computer::domain() const { return dispatch().get(L"Domain").to_text(); }

bool Computer::reachable() const { return dispatch().get(L"Reachable").to_bool(); }
void Computer::set_reachable(bool reachable) const { dispatch().let(L"Reachable", reachable); }
std::wstring Computer::ip_addr() const { return dispatch().get(L"IPAddr").to_text(); }
void Computer::set_ip_addr(const std::wstring& address) const {
  dispatch().let(L"IPAddr", address);
}
std::wstring Computer::mac_addr() const { return dispatch().get(L"MACAddr").to_text(); }
void Computer::set_mac_addr(const std::wstring& address) const {
  dispatch().let(L"MACAddr", address);
}
void Computer::wake() const { dispatch().call(L"Wake"); }
Resource Computer::resources(const std::wstring& share) const {
  return Resource(dispatch().get(L"Resources", {share}));
}

int32_t Computer::get_server_information(int16_t level) const {
  return dispatch().call(L"GetServerInformation", {level}).to_long();
}
Variant Computer::description() const { return dispatch().get(L"Description"); }
Variant Computer::platform_id() const { return dispatch().get(L"PlatformId"); }
Variant Computer::version_major() const { return dispatch().get(L"VersionMajor"); }
Variant Computer::version_minor() const { return dispatch().get(L"VersionMinor"); }
Variant Computer::platform_type() const { return dispatch().get(L"PlatFormType"); }

Variant Computer::time() const { return dispatch().get(L"time"); }
int32_t Computer::tz_bias() const { return dispatch().get(L"TZBias").to_long(); }
int32_t Computer::tz() const { return dispatch().get(L"tz").to_long(); }

void Computer::get_users() const { dispatch().call(L"GetUsers"); }
int32_t Computer::get_users(bool flag) const {
  return dispatch().call(L"GetUsers", {flag}).to_long();
}
Users Computer::users() const { return Users(dispatch().get(L"Users")); }
Groups Computer::local_local_groups() const { return Groups(dispatch().get(L"LocalLocalGroups")); }
LoggedOnUsers Computer::logged_on_users() const {
  return LoggedOnUsers(dispatch().get(L"LoggedOnUsers"));
}
LoggedOnUser Computer::logged_on_user(int32_t position) const {
  return LoggedOnUser(dispatch().get(L"LoggedOnUsers", {Argument(Variant(position), true)}));
}
void Computer::get_groups() const { dispatch().call(L"GetGroups"); }
Groups Computer::global_groups() const { return Groups(dispatch().get(L"GlobalGroups")); }
Groups Computer::local_groups() const { return Groups(dispatch().get(L"LocalGroups")); }

Variant Computer::get_registry_value(uint32_t root, const std::wstring& key_path,
                                     const std::wstring& value_name, Variant value_default) const {
  return dispatch().call(L"GetRegistryValue", {std::bit_cast<int32_t>(root), key_path, value_name,
                                               std::move(value_default)});
}
int32_t Computer::set_registry_value(uint32_t root, const std::wstring& key_path,
                                     const std::wstring& value_name, Variant value) const {
  return dispatch()
      .call(L"SetRegistryValue", {std::bit_cast<int32_t>(root), key_path, value_name, std::move(value)})
      .to_long();
}

bool Computer::logons_enabled() const { return dispatch().get(L"LogonsEnabled").to_bool(); }
void Computer::set_logons_enabled(bool enabled) const { dispatch().let(L"LogonsEnabled", enabled); }
bool Computer::unlocks_enabled() const { return dispatch().get(L"UnlocksEnabled").to_bool(); }
void Computer::set_unlocks_enabled(bool enabled) const { dispatch().let(L"UnlocksEnabled", enabled); }
std::wstring Computer::unavailable_caption() const {
  return dispatch().get(L"UnAvailableCaption").to_text();
}
void Computer::set_unavailable_caption(const std::wstring& caption) const {
  dispatch().let(L"UnAvailableCaption", caption);
}
std::wstring Computer::unavailable_text() const {
  return dispatch().get(L"UnAvailableText").to_text();
}
void Computer::set_unavailable_text(const std::wstring& text) const {
  dispatch().let(L"UnAvailableText", text);
}

}  // namespace pendrel::outside
