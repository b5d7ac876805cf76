// The host's DomainObject (PendrelHost.DomainObject) and the Domain objects
// its Domains member hands out.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/backend.h"
#include "host/win32/items.h"
#include "pendrelhost.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"

namespace pendrel::host {

class HostDomain final : public win32::DualObject<IHostDomain> {
 public:
  HostDomain(std::shared_ptr<DomainBackend> backend, std::wstring name);

  STDMETHODIMP get_Name(BSTR* name) override;
  STDMETHODIMP get_Count(LONG* count) override;
  STDMETHODIMP GetItems(LONG* status) override;
  STDMETHODIMP get_Item(VARIANT index, IDispatch** computer) override;
  STDMETHODIMP GetGroups(LONG* status) override;
  STDMETHODIMP get_GlobalGroups(VARIANT index, IDispatch** result) override;
  STDMETHODIMP get_LocalGroups(VARIANT index, IDispatch** result) override;
  STDMETHODIMP get_Users(VARIANT index, IDispatch** result) override;

 private:
  template <class F>
  HRESULT member(const wchar_t* name, F&& body) noexcept;

  std::shared_ptr<DomainBackend> backend_;
  std::wstring name_;
  std::vector<std::wstring> computers_;
  win32::com_ptr<HostCollection> users_;
  win32::com_ptr<HostCollection> global_groups_;
  win32::com_ptr<HostCollection> local_groups_;
};

class HostDomainObject final : public win32::DualObject<IHostDomainObject> {
 public:
  STDMETHODIMP get_ThisComputerName(BSTR* name) override;
  STDMETHODIMP get_ThisDomainName(BSTR* name) override;
  STDMETHODIMP get_Domains(BSTR name, IDispatch** domain) override;
  STDMETHODIMP RemNull(BSTR text, BSTR* result) override;
  STDMETHODIMP get_Resources(BSTR share, IDispatch** resource) override;
  STDMETHODIMP OpenFixture(BSTR path) override;
  STDMETHODIMP OpenLive() override;
  STDMETHODIMP GetComputer(BSTR name, IDispatch** computer) override;
  STDMETHODIMP get_CallLog(BSTR* calls) override;
  STDMETHODIMP get_CallSpan(double* milliseconds) override;
  STDMETHODIMP ClearCallLog() override;

 private:
  template <class F>
  HRESULT member(const wchar_t* name, F&& body) noexcept;
  void open(std::shared_ptr<DomainBackend> backend);

  std::shared_ptr<DomainBackend> backend_;
  // Keyed by lower-case name: the same object for the same domain or
  // computer, so loaded collections and mapped shares are kept.
  std::map<std::wstring, win32::com_ptr<HostDomain>> domains_;
  std::map<std::wstring, std::shared_ptr<ComputerBackend>> share_computers_;
};

}  // namespace pendrel::host
