// frmComputerDetails: one computer in five tabs (System, Applications, Work
// Groups, Users, Status). This file holds the window definition, its load,
// its reaction to Computer being set, and the window's own commands; the
// staged load is in details_load.cpp, its stages in users.h and
// system_stages.h, the remote time-zone display in time_zone.h.
#pragma once

#include <string>
#include <string_view>

#include "apps/apps_window.h"
#include "component/component_window.h"
#include "component/environment.h"
#include "component/services.h"
#include "core/clock.h"
#include "forms/form.h"
#include "forms/list_view.h"
#include "outside/computer.h"
#include "outside/domain_object.h"

namespace pendrel::details {

inline constexpr wchar_t kNoComputerCaption[] = L"No Computer was given!";

class FrmComputerDetails : public component::ComponentWindow {
 public:
  explicit FrmComputerDetails(component::Environment& env);

  forms::Form& form() override { return form_; }
  component::Environment& environment() const { return env_; }
  // The window's services; raises when its environment has none.
  component::Services& services() const;

  // Credentials for mapping "IPC$", given by the Properties class.
  const std::wstring& AdminAcct() const { return admin_acct_; }
  void set_AdminAcct(std::wstring account) { admin_acct_ = std::move(account); }
  const std::wstring& Password() const { return password_; }
  void set_Password(std::wstring password) { password_ = std::move(password); }

  // The host objects; raise 91 when not set, as VB does on first use.
  outside::Computer computer() const { return outside::Computer(Computer()); }
  outside::DomainObject domain_object() const { return outside::DomainObject(DomainObject()); }
  // The computer's Domain, "\" and Name, asked of the host each time in that
  // order (the host may fill them while the window loads): the caption
  // between loads and before each stage text.
  std::wstring full_name() const;

  // Window-level values: they belong to the window object and outlive each
  // load of its form.
  std::wstring ComputerName;  // Name of Computer, taken when it is set
  bool LoadedOnce = false;    // the staged load ran for this load of the form
  bool IpcMapped = false;     // this window mapped the computer's "IPC$"
  bool QMHiveLoaded = false;  // this window loaded the computer's "QM" hive
  std::wstring QMHome;        // the product's "Home" key path
  std::wstring TimeZoneSuffix;
  TimeZoneInformation LocalTimeZone;
  std::wstring ConsoleAccount;  // the interactive user the last load found
  // A report's window (details_report.h): the load writes nothing back.
  bool ReportOnly = false;

  // Properties.Report: the load of a hidden window as "json" or "csv" (any
  // case; another format raises 5).
  std::wstring Report(std::wstring_view format, bool with_apps);

  // The applications tab's view of this window; raises 91 without the host
  // objects.
  apps::AppsWindow apps_window();

  // The window's activation: the staged load, once per load of the form.
  void Form_Activate();

  // Brings the selected tab's frame to the front.
  void TabStrip1_Click();
  // 0 "&Active" writes the box back to the equipment row; 1 "&On-Line!"
  // writes Reachable and shows the matching picture.
  void chkActive_Click(int index);
  void chkLogonsPermitted_Click();
  // 0 OK, 1 Ping, 2 Wake Up, 3 Logon Alerts; others do nothing.
  void Command1_Click(int index);
  void ListView1_ColumnClick(int index, forms::ColumnHeader& header);
  // 0 the remote time zone; 4 and 6 the machine configuration, 5 the
  // applications tree; others nothing.
  void Label1_Click(int index);
  void Label1_MouseMove(int index);
  void Form_MouseMove();
  // The ping control's events.
  void Ping1_ReplyReceived(int32_t milliseconds);
  void Ping1_StatusMessage(const std::wstring& message);

 private:
  void design(forms::Form& f);
  void Form_Load();
  void Form_Unload();
  void computer_set() override;
  // The clean-up of "&OK" and of the unload: "IPC$" and the "QM" hive.
  void release_computer();
  void append_ping_line(const std::wstring& line);

  component::Environment& env_;
  std::wstring admin_acct_;
  std::wstring password_;
  forms::Form form_;
};

}  // namespace pendrel::details
