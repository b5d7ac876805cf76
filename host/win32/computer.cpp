#include "host/win32/computer.h"

#include "core/error.h"
#include "core/text.h"
#include "host/fixture/fixture_backend.h"
#include "host/win32/live_backend.h"
#include "host/win32/member.h"
#include "platform/win32/variant_convert.h"

namespace pendrel::host {

namespace {

constexpr wchar_t kRestrictionsKey[] = L"SOFTWARE\\Vyx\\Gina\\Restrictions";

using AccountFetch = int32_t (ComputerBackend::*)(std::vector<Account>&);
using EntryMaker = std::vector<CollectionEntry> (*)(const std::shared_ptr<MemberHook>&, const std::vector<Account>&);

win32::com_ptr<HostCollection> account_collection(const std::shared_ptr<ComputerBackend>& backend,
                                                  const wchar_t* prefix, AccountFetch fetch, EntryMaker make) {
  // The loader holds the backend, not the Computer, so that no cycle keeps either alive.
  auto loader = [backend, fetch, make](std::vector<CollectionEntry>& entries) {
    std::vector<Account> accounts;
    int32_t status = ((*backend).*fetch)(accounts);
    if (status == 0) entries = make(backend, accounts);
    return status;
  };
  return make_object<HostCollection>(backend, prefix, loader);
}

// A property put has no status to return: a failed write raises instead.
void check_written(int32_t status, const wchar_t* name) {
  if (status != 0) {
    throw Error(HRESULT_FROM_WIN32(static_cast<DWORD>(status)),
                std::wstring(L"Cannot store ") + name + L" (status " + std::to_wstring(status) + L").");
  }
}

}  // namespace

std::shared_ptr<ComputerBackend> open_computer_backend(const std::wstring& source, const std::wstring& name) {
  if (equal_no_case(source, L"live")) {
    std::unique_ptr<DomainBackend> domain = make_live_domain();
    return domain->computer(name.empty() ? domain->this_computer_name() : name);
  }
  std::unique_ptr<FixtureDomain> domain = FixtureDomain::open(source);
  if (!name.empty()) return domain->computer(name);
  if (domain->fixture().computers.empty()) {
    throw Error(vb_error::kInvalidProcedureCall, L"The fixture '" + source + L"' describes no computer.");
  }
  return domain->computer(domain->fixture().computers.front().name);
}

void HostComputer::open(std::shared_ptr<ComputerBackend> backend) {
  users_ = account_collection(backend, L"Users", &ComputerBackend::users, user_entries);
  local_local_groups_ = account_collection(backend, L"LocalLocalGroups", &ComputerBackend::local_groups, group_entries);
  global_groups_ = account_collection(backend, L"GlobalGroups", &ComputerBackend::global_groups, group_entries);
  local_groups_ = account_collection(backend, L"LocalGroups", &ComputerBackend::local_groups, group_entries);
  logged_on_users_ = make_object<HostCollection>(backend, L"LoggedOnUsers", [backend](std::vector<CollectionEntry>& entries) {
    std::vector<LoggedOnUser> users;
    int32_t status = backend->logged_on_users(users);
    if (status == 0) entries = logged_on_entries(backend, users);
    return status;
  });
  backend_ = std::move(backend);
  reachable_ = false;
  ip_.reset();
  mac_.reset();
  info_ = ServerInfo{};
}

template <class F>
HRESULT HostComputer::member(const wchar_t* name, F&& body) noexcept {
  return host_member<IHostComputer>(backend_.get(), name, std::forward<F>(body));
}

std::wstring& HostComputer::ip_address() {
  if (!ip_) ip_ = backend_->ip_address();
  return *ip_;
}

std::wstring& HostComputer::mac_address() {
  if (!mac_) mac_ = backend_->mac_address();
  return *mac_;
}

STDMETHODIMP HostComputer::get_Name(BSTR* name) {
  return member(L"Computer.Name", [&] { put_text(checked_out(name), backend_->name()); });
}

STDMETHODIMP HostComputer::get_Domain(BSTR* domain) {
  return member(L"Computer.Domain", [&] { put_text(checked_out(domain), backend_->domain()); });
}

STDMETHODIMP HostComputer::get_Reachable(VARIANT_BOOL* reachable) {
  return member(L"Computer.Reachable", [&] { *checked_out(reachable) = vb_bool(reachable_); });
}

STDMETHODIMP HostComputer::put_Reachable(VARIANT_BOOL reachable) {
  return member(L"Computer.Reachable", [&] { reachable_ = reachable != VARIANT_FALSE; });
}

STDMETHODIMP HostComputer::get_IPAddr(BSTR* address) {
  return member(L"Computer.IPAddr", [&] { put_text(checked_out(address), ip_address()); });
}

STDMETHODIMP HostComputer::put_IPAddr(BSTR address) {
  return member(L"Computer.IPAddr", [&] { ip_ = text_of(address); });
}

STDMETHODIMP HostComputer::get_MACAddr(BSTR* address) {
  return member(L"Computer.MACAddr", [&] { put_text(checked_out(address), mac_address()); });
}

STDMETHODIMP HostComputer::put_MACAddr(BSTR address) {
  return member(L"Computer.MACAddr", [&] { mac_ = text_of(address); });
}

STDMETHODIMP HostComputer::Wake(LONG* status) {
  return member(L"Computer.Wake", [&] {
    checked_out(status);
    *status = backend_->wake(mac_address());
  });
}

STDMETHODIMP HostComputer::get_Resources(BSTR share, IDispatch** resource) {
  return member(L"Computer.Resources", [&] {
    put_object(checked_out(resource), make_object<HostResource>(backend_, backend_, text_of(share)));
  });
}

STDMETHODIMP HostComputer::GetServerInformation(short level, LONG* status) {
  return member(L"Computer.GetServerInformation", [&] {
    checked_out(status);
    ServerInfo info;
    int32_t result = backend_->server_information(level, info);
    if (result == 0) {
      info_ = std::move(info);
      reachable_ = true;
    } else if (result == kStatusPathNotFound) {
      reachable_ = false;
    }
    *status = result;
  });
}

STDMETHODIMP HostComputer::get_Description(BSTR* description) {
  return member(L"Computer.Description", [&] { put_text(checked_out(description), info_.description); });
}

STDMETHODIMP HostComputer::get_PlatformId(LONG* id) {
  return member(L"Computer.PlatformId", [&] { *checked_out(id) = info_.platform_id; });
}

STDMETHODIMP HostComputer::get_VersionMajor(LONG* version) {
  return member(L"Computer.VersionMajor", [&] { *checked_out(version) = info_.version_major; });
}

STDMETHODIMP HostComputer::get_VersionMinor(LONG* version) {
  return member(L"Computer.VersionMinor", [&] { *checked_out(version) = info_.version_minor; });
}

STDMETHODIMP HostComputer::get_PlatFormType(LONG* type) {
  return member(L"Computer.PlatFormType", [&] { *checked_out(type) = static_cast<LONG>(info_.type); });
}

STDMETHODIMP HostComputer::get_time(DATE* time) {
  return member(L"Computer.time", [&] {
    checked_out(time);
    *time = backend_->remote_time().time.value;
  });
}

STDMETHODIMP HostComputer::get_TZBias(LONG* bias) {
  return member(L"Computer.TZBias", [&] {
    checked_out(bias);
    *bias = backend_->remote_time().bias;
  });
}

STDMETHODIMP HostComputer::get_tz(LONG* bias) {
  return member(L"Computer.tz", [&] {
    checked_out(bias);
    *bias = backend_->remote_time().tz;
  });
}

STDMETHODIMP HostComputer::GetUsers(VARIANT with_sessions, LONG* status) {
  return member(L"Computer.GetUsers", [&] {
    checked_out(status);
    Variant sessions = win32::from_variant(with_sessions);
    int32_t result = users_->load();
    if (!sessions.is_missing() && sessions.to_bool()) {
      int32_t sessions_result = logged_on_users_->load();
      if (result == 0) result = sessions_result;
    }
    *status = result;
  });
}

STDMETHODIMP HostComputer::get_LoggedOnUsers(VARIANT index, IDispatch** result) {
  return member(L"Computer.LoggedOnUsers", [&] { put_collection_or_item(logged_on_users_, index, result); });
}

STDMETHODIMP HostComputer::get_Users(VARIANT index, IDispatch** result) {
  return member(L"Computer.Users", [&] { put_collection_or_item(users_, index, result); });
}

STDMETHODIMP HostComputer::get_LocalLocalGroups(VARIANT index, IDispatch** result) {
  return member(L"Computer.LocalLocalGroups", [&] { put_collection_or_item(local_local_groups_, index, result); });
}

STDMETHODIMP HostComputer::GetGroups(LONG* status) {
  return member(L"Computer.GetGroups", [&] {
    checked_out(status);
    int32_t global_result = global_groups_->load();
    int32_t local_result = local_groups_->load();
    *status = global_result != 0 ? global_result : local_result;
  });
}

STDMETHODIMP HostComputer::get_GlobalGroups(VARIANT index, IDispatch** result) {
  return member(L"Computer.GlobalGroups", [&] { put_collection_or_item(global_groups_, index, result); });
}

STDMETHODIMP HostComputer::get_LocalGroups(VARIANT index, IDispatch** result) {
  return member(L"Computer.LocalGroups", [&] { put_collection_or_item(local_groups_, index, result); });
}

STDMETHODIMP HostComputer::GetRegistryValue(LONG root, BSTR key, BSTR name, VARIANT value_default, VARIANT* value) {
  return member(L"Computer.GetRegistryValue", [&] {
    checked_out(value);
    Variant fallback = win32::from_variant(value_default);
    if (fallback.is_missing()) fallback = Variant();
    Variant stored = backend_->registry_value(static_cast<uint32_t>(root), text_of(key), text_of(name), fallback);
    win32::to_variant(stored, value);
  });
}

STDMETHODIMP HostComputer::SetRegistryValue(LONG root, BSTR key, BSTR name, VARIANT value, LONG* status) {
  return member(L"Computer.SetRegistryValue", [&] {
    checked_out(status);
    *status = backend_->set_registry_value(static_cast<uint32_t>(root), text_of(key), text_of(name),
                                           win32::from_variant(value));
  });
}

bool HostComputer::restriction_flag(const wchar_t* name) {
  // An absent flag permits; a stored one counts only when it is 1.
  Variant v = backend_->registry_value(kHkeyLocalMachine, kRestrictionsKey, name, Variant(int32_t{1}));
  return vb_equal(v, Variant(int32_t{1}));
}

void HostComputer::set_restriction_flag(const wchar_t* name, VARIANT_BOOL value) {
  check_written(backend_->set_registry_value(kHkeyLocalMachine, kRestrictionsKey, name, Variant(int32_t{value ? 1 : 0})),
                name);
}

std::wstring HostComputer::restriction_text(const wchar_t* name) {
  return backend_->registry_value(kHkeyLocalMachine, kRestrictionsKey, name, Variant(std::wstring())).to_text();
}

void HostComputer::set_restriction_text(const wchar_t* name, BSTR value) {
  check_written(backend_->set_registry_value(kHkeyLocalMachine, kRestrictionsKey, name, Variant(text_of(value))),
                name);
}

STDMETHODIMP HostComputer::get_LogonsEnabled(VARIANT_BOOL* enabled) {
  return member(L"Computer.LogonsEnabled",
                [&] { *checked_out(enabled) = vb_bool(restriction_flag(L"LogonsEnabled")); });
}

STDMETHODIMP HostComputer::put_LogonsEnabled(VARIANT_BOOL enabled) {
  return member(L"Computer.LogonsEnabled", [&] { set_restriction_flag(L"LogonsEnabled", enabled); });
}

STDMETHODIMP HostComputer::get_UnlocksEnabled(VARIANT_BOOL* enabled) {
  return member(L"Computer.UnlocksEnabled",
                [&] { *checked_out(enabled) = vb_bool(restriction_flag(L"UnlocksEnabled")); });
}

STDMETHODIMP HostComputer::put_UnlocksEnabled(VARIANT_BOOL enabled) {
  return member(L"Computer.UnlocksEnabled", [&] { set_restriction_flag(L"UnlocksEnabled", enabled); });
}

STDMETHODIMP HostComputer::get_UnAvailableCaption(BSTR* caption) {
  return member(L"Computer.UnAvailableCaption",
                [&] { put_text(checked_out(caption), restriction_text(L"UnAvailableCaption")); });
}

STDMETHODIMP HostComputer::put_UnAvailableCaption(BSTR caption) {
  return member(L"Computer.UnAvailableCaption", [&] { set_restriction_text(L"UnAvailableCaption", caption); });
}

STDMETHODIMP HostComputer::get_UnAvailableText(BSTR* text) {
  return member(L"Computer.UnAvailableText",
                [&] { put_text(checked_out(text), restriction_text(L"UnAvailableText")); });
}

STDMETHODIMP HostComputer::put_UnAvailableText(BSTR text) {
  return member(L"Computer.UnAvailableText", [&] { set_restriction_text(L"UnAvailableText", text); });
}

STDMETHODIMP HostComputer::Open(BSTR source, VARIANT name) {
  return win32::guarded(__uuidof(IHostComputer), [&] {
    Variant n = win32::from_variant(name);
    open(open_computer_backend(text_of(source), n.is_missing() ? std::wstring() : n.to_text()));
  });
}

}  // namespace pendrel::host
