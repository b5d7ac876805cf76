// The items and collections the host's Computer and Domain objects hand out.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/backend.h"
#include "pendrelhost.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"

namespace pendrel::host {

class HostUser final : public win32::DualObject<IHostUser> {
 public:
  HostUser(std::shared_ptr<MemberHook> hook, Account account);

  STDMETHODIMP get_Name(BSTR* name) override;
  STDMETHODIMP get_FullName(BSTR* full_name) override;
  STDMETHODIMP GetUserInformation(short level, LONG* status) override;

 private:
  std::shared_ptr<MemberHook> hook_;
  Account account_;
  std::wstring full_name_;
};

class HostGroup final : public win32::DualObject<IHostGroup> {
 public:
  HostGroup(std::shared_ptr<MemberHook> hook, Account account);

  STDMETHODIMP get_Name(BSTR* name) override;
  STDMETHODIMP get_Description(BSTR* description) override;
  STDMETHODIMP GetDescription(BSTR* description) override;

 private:
  std::shared_ptr<MemberHook> hook_;
  Account account_;
  std::wstring description_;
};

class HostLoggedOnUser final : public win32::DualObject<IHostLoggedOnUser> {
 public:
  HostLoggedOnUser(std::shared_ptr<MemberHook> hook, LoggedOnUser user);

  STDMETHODIMP get_Name(BSTR* name) override;
  STDMETHODIMP get_Domain(BSTR* domain) override;

 private:
  std::shared_ptr<MemberHook> hook_;
  LoggedOnUser user_;
};

class HostResource final : public win32::DualObject<IHostResource> {
 public:
  HostResource(std::shared_ptr<MemberHook> hook, std::shared_ptr<ComputerBackend> computer, std::wstring share);

  STDMETHODIMP get_Name(BSTR* name) override;
  STDMETHODIMP Map(BSTR account, BSTR password, VARIANT_BOOL* mapped) override;
  STDMETHODIMP UnMap(VARIANT_BOOL force, LONG* status) override;

 private:
  std::shared_ptr<MemberHook> hook_;
  std::shared_ptr<ComputerBackend> computer_;
  std::wstring share_;
};

struct CollectionEntry {
  std::wstring name;
  win32::com_ptr<IDispatch> item;
};

std::vector<CollectionEntry> user_entries(const std::shared_ptr<MemberHook>& hook,
                                          const std::vector<Account>& users);
std::vector<CollectionEntry> group_entries(const std::shared_ptr<MemberHook>& hook,
                                           const std::vector<Account>& groups);
std::vector<CollectionEntry> logged_on_entries(const std::shared_ptr<MemberHook>& hook,
                                               const std::vector<LoggedOnUser>& users);

// The 0-based position that index names among count names: a text is a name
// (error 5 when none matches), anything else a 1-based position (error 9
// outside 1 to count). name_at(i) gives the i-th name.
size_t find_position(const VARIANT& index, size_t count, const std::function<const std::wstring&(size_t)>& name_at);

class HostCollection final : public win32::DualObject<IHostCollection> {
 public:
  // Fills entries; a non-zero status leaves the collection as it was.
  using Loader = std::function<int32_t(std::vector<CollectionEntry>& entries)>;

  // prefix names the collection's members for the hook ("Users" gives "Users.Count").
  HostCollection(std::shared_ptr<MemberHook> hook, std::wstring prefix, Loader loader);

  int32_t load();
  // The item for index (see find_position).
  win32::com_ptr<IDispatch> item(const VARIANT& index) const;

  STDMETHODIMP get_Item(VARIANT index, IDispatch** item) override;
  STDMETHODIMP get_Count(LONG* count) override;
  STDMETHODIMP GetItems(LONG* status) override;

 private:
  std::shared_ptr<MemberHook> hook_;
  std::wstring item_member_, count_member_, get_items_member_;
  Loader loader_;
  std::vector<CollectionEntry> entries_;
};

// A collection property with an optional index: the collection itself
// without it, its item with it.
void put_collection_or_item(const win32::com_ptr<HostCollection>& collection, const VARIANT& index, IDispatch** out);

}  // namespace pendrel::host
