#include "host/win32/items.h"

#include "core/error.h"
#include "core/text.h"
#include "host/win32/member.h"
#include "platform/win32/variant_convert.h"

namespace pendrel::host {

HostUser::HostUser(std::shared_ptr<MemberHook> hook, Account account)
    : hook_(std::move(hook)), account_(std::move(account)) {}

STDMETHODIMP HostUser::get_Name(BSTR* name) {
  return host_member<IHostUser>(hook_.get(), L"User.Name", [&] { put_text(checked_out(name), account_.name); });
}

STDMETHODIMP HostUser::get_FullName(BSTR* full_name) {
  return host_member<IHostUser>(hook_.get(), L"User.FullName",
                                [&] { put_text(checked_out(full_name), full_name_); });
}

STDMETHODIMP HostUser::GetUserInformation(short level, LONG* status) {
  return host_member<IHostUser>(hook_.get(), L"User.GetUserInformation", [&] {
    checked_out(status);
    full_name_ = account_.detail;
    *status = 0;
  });
}

HostGroup::HostGroup(std::shared_ptr<MemberHook> hook, Account account)
    : hook_(std::move(hook)), account_(std::move(account)) {}

STDMETHODIMP HostGroup::get_Name(BSTR* name) {
  return host_member<IHostGroup>(hook_.get(), L"Group.Name", [&] { put_text(checked_out(name), account_.name); });
}

STDMETHODIMP HostGroup::get_Description(BSTR* description) {
  return host_member<IHostGroup>(hook_.get(), L"Group.Description",
                                 [&] { put_text(checked_out(description), description_); });
}

STDMETHODIMP HostGroup::GetDescription(BSTR* description) {
  return host_member<IHostGroup>(hook_.get(), L"Group.GetDescription", [&] {
    put_text(checked_out(description), account_.detail);
    description_ = account_.detail;
  });
}

HostLoggedOnUser::HostLoggedOnUser(std::shared_ptr<MemberHook> hook, LoggedOnUser user)
    : hook_(std::move(hook)), user_(std::move(user)) {}

STDMETHODIMP HostLoggedOnUser::get_Name(BSTR* name) {
  return host_member<IHostLoggedOnUser>(hook_.get(), L"LoggedOnUser.Name",
                                        [&] { put_text(checked_out(name), user_.name); });
}

STDMETHODIMP HostLoggedOnUser::get_Domain(BSTR* domain) {
  return host_member<IHostLoggedOnUser>(hook_.get(), L"LoggedOnUser.Domain",
                                        [&] { put_text(checked_out(domain), user_.domain); });
}

HostResource::HostResource(std::shared_ptr<MemberHook> hook, std::shared_ptr<ComputerBackend> computer,
                           std::wstring share)
    : hook_(std::move(hook)), computer_(std::move(computer)), share_(std::move(share)) {}

STDMETHODIMP HostResource::get_Name(BSTR* name) {
  return host_member<IHostResource>(hook_.get(), L"Resource.Name", [&] { put_text(checked_out(name), share_); });
}

STDMETHODIMP HostResource::Map(BSTR account, BSTR password, VARIANT_BOOL* mapped) {
  return host_member<IHostResource>(hook_.get(), L"Resource.Map", [&] {
    checked_out(mapped);
    *mapped = vb_bool(computer_->map_resource(share_, text_of(account), text_of(password)));
  });
}

STDMETHODIMP HostResource::UnMap(VARIANT_BOOL force, LONG* status) {
  return host_member<IHostResource>(hook_.get(), L"Resource.UnMap", [&] {
    checked_out(status);
    *status = computer_->unmap_resource(share_, force != VARIANT_FALSE);
  });
}

std::vector<CollectionEntry> user_entries(const std::shared_ptr<MemberHook>& hook,
                                          const std::vector<Account>& users) {
  std::vector<CollectionEntry> entries;
  for (const Account& a : users) {
    entries.push_back({a.name, win32::com_ptr<IDispatch>(make_object<HostUser>(hook, a).get())});
  }
  return entries;
}

std::vector<CollectionEntry> group_entries(const std::shared_ptr<MemberHook>& hook,
                                           const std::vector<Account>& groups) {
  std::vector<CollectionEntry> entries;
  for (const Account& a : groups) {
    entries.push_back({a.name, win32::com_ptr<IDispatch>(make_object<HostGroup>(hook, a).get())});
  }
  return entries;
}

std::vector<CollectionEntry> logged_on_entries(const std::shared_ptr<MemberHook>& hook,
                                               const std::vector<LoggedOnUser>& users) {
  std::vector<CollectionEntry> entries;
  for (const LoggedOnUser& u : users) {
    entries.push_back({u.name, win32::com_ptr<IDispatch>(make_object<HostLoggedOnUser>(hook, u).get())});
  }
  return entries;
}

size_t find_position(const VARIANT& index, size_t count, const std::function<const std::wstring&(size_t)>& name_at) {
  Variant key = win32::from_variant(index);
  if (key.is_missing()) throw Error::vb(vb_error::kArgumentNotOptional);
  if (key.kind() == Variant::Kind::Text) {
    for (size_t i = 0; i < count; ++i) {
      if (equal_no_case(name_at(i), key.text())) return i;
    }
    throw Error(vb_error::kInvalidProcedureCall, L"There is no item named '" + key.text() + L"'.");
  }
  int32_t position = key.to_long();
  if (position < 1 || static_cast<size_t>(position) > count) {
    throw Error(9, L"Subscript out of range: there is no item " + std::to_wstring(position) + L" (Count is " +
                       std::to_wstring(count) + L").");
  }
  return static_cast<size_t>(position - 1);
}

HostCollection::HostCollection(std::shared_ptr<MemberHook> hook, std::wstring prefix, Loader loader)
    : hook_(std::move(hook)),
      item_member_(prefix + L".Item"),
      count_member_(prefix + L".Count"),
      get_items_member_(prefix + L".GetItems"),
      loader_(std::move(loader)) {}

int32_t HostCollection::load() {
  std::vector<CollectionEntry> entries;
  int32_t status = loader_(entries);
  if (status == 0) entries_ = std::move(entries);
  return status;
}

win32::com_ptr<IDispatch> HostCollection::item(const VARIANT& index) const {
  size_t i = find_position(index, entries_.size(), [&](size_t k) -> const std::wstring& { return entries_[k].name; });
  return entries_[i].item;
}

STDMETHODIMP HostCollection::get_Item(VARIANT index, IDispatch** out) {
  return host_member<IHostCollection>(hook_.get(), item_member_.c_str(),
                                      [&] { put_object(checked_out(out), item(index)); });
}

STDMETHODIMP HostCollection::get_Count(LONG* count) {
  return host_member<IHostCollection>(hook_.get(), count_member_.c_str(),
                                      [&] { *checked_out(count) = static_cast<LONG>(entries_.size()); });
}

STDMETHODIMP HostCollection::GetItems(LONG* status) {
  return host_member<IHostCollection>(hook_.get(), get_items_member_.c_str(), [&] {
    checked_out(status);
    *status = load();
  });
}

void put_collection_or_item(const win32::com_ptr<HostCollection>& collection, const VARIANT& index, IDispatch** out) {
  checked_out(out);
  if (win32::from_variant(index).is_missing()) {
    put_object(out, collection);
  } else {
    put_object(out, collection->item(index));
  }
}

}  // namespace pendrel::host
