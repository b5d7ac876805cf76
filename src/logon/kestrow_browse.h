// Kestrow1, the account-browse control of the logon window: our own object
// with the members and dispatch ids the window calls (outside/controls.h,
// kestrow_id). ShowBrowse gathers the accounts of the target computer and of
// its domain through the host's Computer and DomainObject and hands them to a
// BrowseDialog; the chosen rows come back in Selection as an account list
// value ("AUTHORITY\name" entries joined by ";").
//
// The window hands the control its host objects before calling ShowBrowse:
//   if (auto* kestrow = logon::KestrowBrowse::from(Kestrow1.object()))
//     kestrow->set_host_objects(Computer(), DomainObject());
// In pendrel.dll the renderer creates the object, with the dialog of
// platform/win32/logon/browse_dialog.h, for the host control named "Kestrow1".
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/dispatch.h"

namespace pendrel::logon {

// The bits of Options. The window writes 0x47 for the watch lists (every kind,
// also the computer's own accounts) and 7 for the allow and deny lists (the
// domain's users and groups only). Options without any kind bit lists every
// kind.
namespace kestrow_option {
inline constexpr int32_t kUsers = 0x01;
// Global groups of the domain.
inline constexpr int32_t kGlobalGroups = 0x02;
// Local groups of the domain, and of the computer when kComputerAccounts is set.
inline constexpr int32_t kLocalGroups = 0x04;
// Also list the target computer's own users and local groups.
inline constexpr int32_t kComputerAccounts = 0x40;
inline constexpr int32_t kKindMask = kUsers | kGlobalGroups | kLocalGroups;
}  // namespace kestrow_option

enum class AccountKind { User, GlobalGroup, DomainLocalGroup, ComputerLocalGroup };

struct BrowseAccount {
  std::wstring authority;  // the computer's name or the domain's name
  std::wstring name;
  std::wstring description;  // a group's description or a user's full name
  AccountKind kind = AccountKind::User;

  // "AUTHORITY\name", the entry of an account list value.
  std::wstring entry() const { return authority + L"\\" + name; }
  friend bool operator==(const BrowseAccount&, const BrowseAccount&) = default;
};

// The accounts Options asks for: the computer's users and local groups (with
// kComputerAccounts), then the domain's global groups, local groups and users,
// each in the host's order. A collection is fetched only while its count is 0.
// A host call that fails leaves out what it would have given; nothing is
// raised. Null host objects give no accounts of theirs.
std::vector<BrowseAccount> gather_accounts(const DispatchPtr& computer,
                                           const DispatchPtr& domain_object, int32_t options);

// The entries of the chosen accounts joined by ";".
std::wstring selection_value(std::span<const BrowseAccount> accounts,
                             std::span<const size_t> chosen);

struct BrowseRequest {
  std::intptr_t owner = 0;        // the owning window, 0 for none
  std::wstring title;
  std::wstring target_computer;  // as written, "\\" + name
  std::vector<BrowseAccount> accounts;
};

// The modal dialog. Windows: platform/win32/logon/browse_dialog.h.
class BrowseDialog {
 public:
  virtual ~BrowseDialog() = default;
  // The positions in request.accounts of the confirmed rows, in list order;
  // nothing when the user cancelled.
  virtual std::optional<std::vector<size_t>> show(const BrowseRequest& request) = 0;
};

class KestrowBrowse : public Dispatch {
 public:
  explicit KestrowBrowse(std::shared_ptr<BrowseDialog> dialog);

  // The control behind a host control's object; null when it is something
  // else (a test's fake, another maker's control).
  static KestrowBrowse* from(const DispatchPtr& object);

  // The window's Computer and DomainObject, browsed by the next ShowBrowse.
  // Without them the dialog lists nothing. TargetComputer only names the
  // computer in the dialog: the host objects are what is browsed.
  void set_host_objects(DispatchPtr computer, DispatchPtr domain_object);

  int32_t options() const { return options_; }
  const std::wstring& title() const { return title_; }
  int32_t owner_window() const { return owner_window_; }
  const std::wstring& selection() const { return selection_; }
  const std::wstring& target_computer() const { return target_computer_; }
  // 0 when the user confirmed (Selection holds the chosen accounts), 1 when
  // cancelled (Selection unchanged).
  int32_t show_browse();

  // Options, Title, OwnerWindow, TargetComputer are write-only, Selection
  // read-only, ShowBrowse a method; any other kind of call raises 438.
  DispId id_of(std::wstring_view name) override;
  Variant invoke(DispId id, InvokeKind kind, std::span<Argument> args) override;

 private:
  std::shared_ptr<BrowseDialog> dialog_;
  DispatchPtr computer_;
  DispatchPtr domain_object_;
  int32_t options_ = 0;
  std::wstring title_;
  int32_t owner_window_ = 0;
  std::wstring selection_;
  std::wstring target_computer_;
};

}  // namespace pendrel::logon
