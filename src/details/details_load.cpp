// The staged load of the details window: on its first activation after each
// load of the form it resets the tabs and fills them stage by stage, showing
// the stage in the caption. It runs start to end on the window's thread and
// lets no window message through; the caption is the only progress the user
// sees while a host call blocks.
//
// A failure outside the stretches where the load ignores errors ends the
// load: the pointer goes back to the default, LoadedOnce stays false (so the
// next activation loads again from the reset), and the error shows in the
// window's error box under "Form_Activate", as a failing command does.
#include <string>

#include "database/management_database.h"
#include "details/database_stage.h"
#include "details/frm_computer_details.h"
#include "details/load_state.h"
#include "details/system_stages.h"
#include "details/users.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/image.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tree_view.h"
#include "forms/user_interface.h"
#include "windows/window_support.h"

namespace pendrel::details {
namespace {

constexpr wchar_t kMachineInformationErrors[] =
    L"There were errors while getting the Machine Information, see the log file.";

class DetailsLoad {
 public:
  explicit DetailsLoad(FrmComputerDetails& window)
      : window_(window), form_(window.form()), ui_(window.environment().ui) {}

  void run() {
    form_.zorder(0);
    form_.get<forms::Image>(L"Image1", 0).zorder(0);
    form_.get<forms::CheckBox>(L"chkActive", 1).set_value(forms::check_value::kChecked);
    window_.TabStrip1_Click();
    ui_.set_mouse_pointer(forms::mouse_pointer::kHourglass);
    reset();
    if (!window_.Computer()) {
      ui_.set_mouse_pointer(forms::mouse_pointer::kDefault);
      return;
    }
    const outside::Computer computer = window_.computer();
    computer.set_reachable(true);

    progress(L" -> Getting Local Time Zone Info...");
    const StageContext database{database::management_database(), window_.services().database_objects, ui_, form_,
                                computer};
    state_.ignoring_errors = DatabaseStage(database, state_.err);
    state_.run([&] {
      form_.get<forms::CheckBox>(L"chkLogonsPermitted")
          .set_value(computer.logons_enabled() ? forms::check_value::kChecked : forms::check_value::kUnchecked);
    });
    state_.run([&] { LocalTimeZoneStage(window_, state_); });
    state_.err.clear();

    state_.run([&] { progress(L" -> Getting Users ..."); });
    AssignedUsersStage(window_, state_);

    state_.run([&] { progress(L" -> Checking if reachable ..."); });
    ReachabilityStage(window_, state_);

    if (computer.reachable()) {
      computer.set_reachable(true);
      progress(L" -> Getting Remote Time ...");
      RemoteTimeStage(window_, state_);
      if (!form_.get<forms::Label>(L"Label2", 0).caption().empty() && !machine_information()) return;
      form_.get<forms::CommandButton>(L"Command1", 2).set_enabled(false);
    } else {
      OfflinePresentation(window_, state_);
    }

    window_.LoadedOnce = true;
    form_.set_caption(window_.full_name());
    form_.zorder(0);
    ui_.set_mouse_pointer(forms::mouse_pointer::kDefault);
  }

 private:
  // Everything a previous load or the design left in the tabs goes, except
  // the time-zone labels and the MAC address.
  void reset() {
    for (int index : {0, 1, 2, 3, 5, 6}) form_.get<forms::Label>(L"Label2", index).set_caption(L"");
    forms::ListView& groups = form_.get<forms::ListView>(L"ListView1", 1);
    forms::ListView& users = form_.get<forms::ListView>(L"ListView1", 2);
    groups.list_items().clear();
    users.list_items().clear();
    groups.column_headers().item(1).set_width(900);
    groups.column_headers().item(3).set_width(4400);
    users.column_headers().item(1).set_width(1550);
    forms::TreeView& apps = form_.get<forms::TreeView>(L"tvwApps");
    apps.nodes().clear();
    forms::Node& root = apps.nodes().add(L"Root", L"Double-Click to Load Apps");
    root.set_tag(L"Root");
    root.set_image(1);
    form_.get<forms::ComboBox>(L"cmbTypes").clear();
    form_.get<forms::Label>(L"PingResults").set_caption(L"");
    window_.ConsoleAccount.clear();
  }

  // The reachable computer whose remote time came: who is logged on, and the
  // machine's description. False when the details failed: the load then ends
  // here, after telling the user.
  bool machine_information() {
    ShowLocalTime(window_);
    progress(L" -> Getting Logged On Users ...");
    LoggedOnUsersStage(window_, state_);
    progress(L" -> Getting Interactively Logged On User ...");
    InteractiveUserStage(window_, state_);
    window_.ConsoleAccount = state_.ConsoleAccount;
    LogonSessionsStage(window_, state_);
    progress(L" -> Getting Computer Details ...");
    if (ComputerDetailsStage(window_, state_)) return true;
    ui_.set_mouse_pointer(forms::mouse_pointer::kDefault);
    ui_.message_box(kMachineInformationErrors, forms::msgbox_style::kOKOnly | forms::msgbox_style::kExclamation,
                    windows::kComponentTitle);
    return false;
  }

  void progress(const wchar_t* stage) { form_.set_caption(window_.full_name() + stage); }

  FrmComputerDetails& window_;
  forms::Form& form_;
  forms::UserInterface& ui_;
  LoadState state_;
};

}  // namespace

void FrmComputerDetails::Form_Activate() {
  if (LoadedOnce) return;
  try {
    DetailsLoad(*this).run();
  } catch (const Error& error) {
    env_.ui.set_mouse_pointer(forms::mouse_pointer::kDefault);
    const Error named = windows::in_member(L"Form_Activate", error);
    if (!form_.report_error(named)) throw named;
  }
}

}  // namespace pendrel::details
