#include "host/win32/domain_object.h"

#include "core/error.h"
#include "core/text.h"
#include "host/fixture/fixture_backend.h"
#include "host/win32/computer.h"
#include "host/win32/live_backend.h"
#include "host/win32/member.h"

namespace pendrel::host {

namespace {

using DomainFetch = int32_t (DomainBackend::*)(const std::wstring&, std::vector<Account>&);
using EntryMaker = std::vector<CollectionEntry> (*)(const std::shared_ptr<MemberHook>&, const std::vector<Account>&);

win32::com_ptr<HostCollection> domain_collection(const std::shared_ptr<DomainBackend>& backend,
                                                 const std::wstring& domain, const wchar_t* prefix,
                                                 DomainFetch fetch, EntryMaker make) {
  auto loader = [backend, domain, fetch, make](std::vector<CollectionEntry>& entries) {
    std::vector<Account> accounts;
    int32_t status = ((*backend).*fetch)(domain, accounts);
    if (status == 0) entries = make(backend, accounts);
    return status;
  };
  return make_object<HostCollection>(backend, prefix, loader);
}

}  // namespace

HostDomain::HostDomain(std::shared_ptr<DomainBackend> backend, std::wstring name)
    : backend_(std::move(backend)),
      name_(std::move(name)),
      users_(domain_collection(backend_, name_, L"Users", &DomainBackend::domain_users, user_entries)),
      global_groups_(
          domain_collection(backend_, name_, L"GlobalGroups", &DomainBackend::domain_global_groups, group_entries)),
      local_groups_(
          domain_collection(backend_, name_, L"LocalGroups", &DomainBackend::domain_local_groups, group_entries)) {}

template <class F>
HRESULT HostDomain::member(const wchar_t* name, F&& body) noexcept {
  return host_member<IHostDomain>(backend_.get(), name, std::forward<F>(body));
}

STDMETHODIMP HostDomain::get_Name(BSTR* name) {
  return member(L"Domain.Name", [&] { put_text(checked_out(name), name_); });
}

STDMETHODIMP HostDomain::get_Count(LONG* count) {
  return member(L"Domain.Count", [&] { *checked_out(count) = static_cast<LONG>(computers_.size()); });
}

STDMETHODIMP HostDomain::GetItems(LONG* status) {
  return member(L"Domain.GetItems", [&] {
    checked_out(status);
    std::vector<std::wstring> names;
    int32_t result = backend_->domain_computers(name_, names);
    if (result == 0) computers_ = std::move(names);
    *status = result;
  });
}

STDMETHODIMP HostDomain::get_Item(VARIANT index, IDispatch** computer) {
  return member(L"Domain.Item", [&] {
    checked_out(computer);
    size_t i = find_position(index, computers_.size(), [&](size_t k) -> const std::wstring& { return computers_[k]; });
    put_object(computer, make_object<HostComputer>(std::shared_ptr<ComputerBackend>(backend_->computer(computers_[i]))));
  });
}

STDMETHODIMP HostDomain::GetGroups(LONG* status) {
  return member(L"Domain.GetGroups", [&] {
    checked_out(status);
    int32_t global_result = global_groups_->load();
    int32_t local_result = local_groups_->load();
    *status = global_result != 0 ? global_result : local_result;
  });
}

STDMETHODIMP HostDomain::get_GlobalGroups(VARIANT index, IDispatch** result) {
  return member(L"Domain.GlobalGroups", [&] { put_collection_or_item(global_groups_, index, result); });
}

STDMETHODIMP HostDomain::get_LocalGroups(VARIANT index, IDispatch** result) {
  return member(L"Domain.LocalGroups", [&] { put_collection_or_item(local_groups_, index, result); });
}

STDMETHODIMP HostDomain::get_Users(VARIANT index, IDispatch** result) {
  return member(L"Domain.Users", [&] { put_collection_or_item(users_, index, result); });
}

template <class F>
HRESULT HostDomainObject::member(const wchar_t* name, F&& body) noexcept {
  return host_member<IHostDomainObject>(backend_.get(), name, std::forward<F>(body));
}

void HostDomainObject::open(std::shared_ptr<DomainBackend> backend) {
  backend_ = std::move(backend);
  domains_.clear();
  share_computers_.clear();
}

STDMETHODIMP HostDomainObject::get_ThisComputerName(BSTR* name) {
  return member(L"DomainObject.ThisComputerName", [&] { put_text(checked_out(name), backend_->this_computer_name()); });
}

STDMETHODIMP HostDomainObject::get_ThisDomainName(BSTR* name) {
  return member(L"DomainObject.ThisDomainName", [&] { put_text(checked_out(name), backend_->this_domain_name()); });
}

STDMETHODIMP HostDomainObject::get_Domains(BSTR name, IDispatch** domain) {
  return member(L"DomainObject.Domains", [&] {
    checked_out(domain);
    std::wstring wanted = text_of(name);
    std::wstring key = lower_ascii(wanted);
    auto found = domains_.find(key);
    if (found == domains_.end()) {
      if (!backend_->domain_exists(wanted)) {
        throw Error(vb_error::kInvalidProcedureCall, L"There is no domain named '" + wanted + L"'.");
      }
      found = domains_.emplace(key, make_object<HostDomain>(backend_, wanted)).first;
    }
    put_object(domain, found->second);
  });
}

STDMETHODIMP HostDomainObject::RemNull(BSTR text, BSTR* result) {
  return member(L"DomainObject.RemNull", [&] {
    checked_out(result);
    std::wstring t = text_of(text);
    std::erase(t, L'\0');
    put_text(result, t);
  });
}

STDMETHODIMP HostDomainObject::get_Resources(BSTR share, IDispatch** resource) {
  return member(L"DomainObject.Resources", [&] {
    checked_out(resource);
    std::wstring path = text_of(share);
    std::wstring computer = backend_->this_computer_name();
    std::wstring name = path;
    if (path.starts_with(L"\\\\")) {
      size_t slash = path.find(L'\\', 2);
      if (slash == std::wstring::npos || slash == 2 || slash + 1 == path.size()) {
        throw Error(vb_error::kInvalidProcedureCall, L"'" + path + L"' is not a share like \\\\COMPUTER\\IPC$.");
      }
      computer = path.substr(2, slash - 2);
      name = path.substr(slash + 1);
    }
    std::shared_ptr<ComputerBackend>& backend = share_computers_[lower_ascii(computer)];
    if (!backend) backend = backend_->computer(computer);
    put_object(resource, make_object<HostResource>(backend_, backend, name));
  });
}

STDMETHODIMP HostDomainObject::OpenFixture(BSTR path) {
  return win32::guarded(__uuidof(IHostDomainObject), [&] { open(FixtureDomain::open(text_of(path))); });
}

STDMETHODIMP HostDomainObject::OpenLive() {
  return win32::guarded(__uuidof(IHostDomainObject), [&] { open(make_live_domain()); });
}

STDMETHODIMP HostDomainObject::GetComputer(BSTR name, IDispatch** computer) {
  return member(L"DomainObject.GetComputer", [&] {
    checked_out(computer);
    put_object(computer, make_object<HostComputer>(std::shared_ptr<ComputerBackend>(backend_->computer(text_of(name)))));
  });
}

// The journal is no member of the console's view: reading it enters nothing.
STDMETHODIMP HostDomainObject::get_CallLog(BSTR* calls) {
  return win32::guarded(__uuidof(IHostDomainObject), [&] {
    std::wstring text;
    for (const JournalEntry& entry : CallJournal::instance().entries()) {
      if (!text.empty()) text += L"\r\n";
      text += entry.member;
    }
    put_text(checked_out(calls), text);
  });
}

STDMETHODIMP HostDomainObject::get_CallSpan(double* milliseconds) {
  return win32::guarded(__uuidof(IHostDomainObject), [&] {
    const std::vector<JournalEntry> entries = CallJournal::instance().entries();
    *checked_out(milliseconds) = entries.empty() ? 0 : entries.back().end_ms - entries.front().start_ms;
  });
}

STDMETHODIMP HostDomainObject::ClearCallLog() {
  return win32::guarded(__uuidof(IHostDomainObject), [] { CallJournal::instance().clear(); });
}

}  // namespace pendrel::host
