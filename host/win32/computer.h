// The host's Computer object (PendrelHost.Computer).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/backend.h"
#include "host/win32/items.h"
#include "pendrelhost.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"

namespace pendrel::host {

class HostComputer final : public win32::DualObject<IHostComputer> {
 public:
  // Not open: every member but Open raises error 91.
  HostComputer() = default;
  explicit HostComputer(std::shared_ptr<ComputerBackend> backend) { open(std::move(backend)); }

  // Starts over on backend: fresh addresses, state and collections.
  void open(std::shared_ptr<ComputerBackend> backend);

  STDMETHODIMP get_Name(BSTR* name) override;
  STDMETHODIMP get_Domain(BSTR* domain) override;
  STDMETHODIMP get_Reachable(VARIANT_BOOL* reachable) override;
  STDMETHODIMP put_Reachable(VARIANT_BOOL reachable) override;
  STDMETHODIMP get_IPAddr(BSTR* address) override;
  STDMETHODIMP put_IPAddr(BSTR address) override;
  STDMETHODIMP get_MACAddr(BSTR* address) override;
  STDMETHODIMP put_MACAddr(BSTR address) override;
  STDMETHODIMP Wake(LONG* status) override;
  STDMETHODIMP get_Resources(BSTR share, IDispatch** resource) override;
  STDMETHODIMP GetServerInformation(short level, LONG* status) override;
  STDMETHODIMP get_Description(BSTR* description) override;
  STDMETHODIMP get_PlatformId(LONG* id) override;
  STDMETHODIMP get_VersionMajor(LONG* version) override;
  STDMETHODIMP get_VersionMinor(LONG* version) override;
  STDMETHODIMP get_PlatFormType(LONG* type) override;
  STDMETHODIMP get_time(DATE* time) override;
  STDMETHODIMP get_TZBias(LONG* bias) override;
  STDMETHODIMP get_tz(LONG* bias) override;
  STDMETHODIMP GetUsers(VARIANT with_sessions, LONG* status) override;
  STDMETHODIMP get_LoggedOnUsers(VARIANT index, IDispatch** result) override;
  STDMETHODIMP get_Users(VARIANT index, IDispatch** result) override;
  STDMETHODIMP get_LocalLocalGroups(VARIANT index, IDispatch** result) override;
  STDMETHODIMP GetGroups(LONG* status) override;
  STDMETHODIMP get_GlobalGroups(VARIANT index, IDispatch** result) override;
  STDMETHODIMP get_LocalGroups(VARIANT index, IDispatch** result) override;
  STDMETHODIMP GetRegistryValue(LONG root, BSTR key, BSTR name, VARIANT value_default, VARIANT* value) override;
  STDMETHODIMP SetRegistryValue(LONG root, BSTR key, BSTR name, VARIANT value, LONG* status) override;
  STDMETHODIMP get_LogonsEnabled(VARIANT_BOOL* enabled) override;
  STDMETHODIMP put_LogonsEnabled(VARIANT_BOOL enabled) override;
  STDMETHODIMP get_UnlocksEnabled(VARIANT_BOOL* enabled) override;
  STDMETHODIMP put_UnlocksEnabled(VARIANT_BOOL enabled) override;
  STDMETHODIMP get_UnAvailableCaption(BSTR* caption) override;
  STDMETHODIMP put_UnAvailableCaption(BSTR caption) override;
  STDMETHODIMP get_UnAvailableText(BSTR* text) override;
  STDMETHODIMP put_UnAvailableText(BSTR text) override;
  STDMETHODIMP Open(BSTR source, VARIANT name) override;

 private:
  template <class F>
  HRESULT member(const wchar_t* name, F&& body) noexcept;

  std::wstring& ip_address();
  std::wstring& mac_address();
  bool restriction_flag(const wchar_t* name);
  void set_restriction_flag(const wchar_t* name, VARIANT_BOOL value);
  std::wstring restriction_text(const wchar_t* name);
  void set_restriction_text(const wchar_t* name, BSTR value);

  std::shared_ptr<ComputerBackend> backend_;
  bool reachable_ = false;
  std::optional<std::wstring> ip_;   // from the backend on first use
  std::optional<std::wstring> mac_;  // likewise
  ServerInfo info_;
  win32::com_ptr<HostCollection> users_;
  win32::com_ptr<HostCollection> local_local_groups_;
  win32::com_ptr<HostCollection> global_groups_;
  win32::com_ptr<HostCollection> local_groups_;
  win32::com_ptr<HostCollection> logged_on_users_;
};

// A backend for Computer.Open's source: "live" or a fixture file path; name
// empty for the first computer of the fixture or this computer when live.
std::shared_ptr<ComputerBackend> open_computer_backend(const std::wstring& source, const std::wstring& name);

}  // namespace pendrel::host
