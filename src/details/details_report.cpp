#include "details/details_report.h"

#include <array>
#include <cmath>
#include <utility>

#include "apps/app_tree.h"
#include "component/environment.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/host_control.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tree_view.h"
#include "windows/window_support.h"

namespace pendrel::details {
namespace {

constexpr wchar_t kStageMark[] = L" -> ";
constexpr wchar_t kNoRemoteTime[] = L"N/A";

// The user interface of a window nobody sees: a message box is kept with the
// stage the caption shows and answered as the cautious choice (No, Cancel),
// so that no box leads the load into a repair or a write; an input box is
// cancelled; DoEvents has nothing to run.
class ReportUserInterface : public forms::UserInterface {
 public:
  void watch(const forms::Form& form) { form_ = &form; }
  std::vector<report::ReportError> take_errors() { return std::move(errors_); }

  int message_box(std::wstring_view prompt, int style, std::wstring_view) override {
    errors_.push_back({current_stage(), std::wstring(prompt)});
    switch (style & forms::msgbox_style::kButtonsMask) {
      case forms::msgbox_style::kOKOnly:
        return forms::msgbox_result::kOK;
      case forms::msgbox_style::kAbortRetryIgnore:
        return forms::msgbox_result::kAbort;
      case forms::msgbox_style::kYesNo:
        return forms::msgbox_result::kNo;
      default:
        return forms::msgbox_result::kCancel;
    }
  }
  std::wstring input_box(std::wstring_view, std::wstring_view, std::wstring_view) override { return {}; }
  void do_events() override {}
  int mouse_pointer() const override { return pointer_; }
  void set_mouse_pointer(int pointer) override { pointer_ = pointer; }

 private:
  std::wstring current_stage() const {
    if (!form_) return {};
    const std::wstring& caption = form_->caption();
    const std::size_t mark = caption.find(kStageMark);
    return mark == std::wstring::npos ? std::wstring() : caption.substr(mark + std::size(kStageMark) - 1);
  }

  const forms::Form* form_ = nullptr;
  std::vector<report::ReportError> errors_;
  int pointer_ = forms::mouse_pointer::kDefault;
};

std::vector<report::ListRow> rows_of(forms::ListView& list) {
  std::vector<report::ListRow> rows;
  forms::ListItems& items = list.list_items();
  for (int i = 1; i <= items.count(); ++i) {
    const forms::ListItem& item = items.item(i);
    rows.push_back({item.text(), item.sub_item(1), item.sub_item(2)});
  }
  return rows;
}

// The packages in the order the tree shows them: the path is the node's key
// below the root, the "*" of a marked one taken off.
void collect_packages(const forms::Node& node, std::vector<report::Package>& packages) {
  if (node.tag() == apps::kPackageTag) {
    std::wstring path = node.key().substr(std::size(apps::kRootKey));
    const bool marked = path.ends_with(L'*');
    if (marked) path.pop_back();
    packages.push_back({std::move(path), marked});
  }
  for (const forms::Node* child : node.child_nodes()) collect_packages(*child, packages);
}

// A handler as the window runs it on a click: a failure shows in its error box.
template <class Handler>
void run_handler(forms::Form& form, const wchar_t* member, Handler handler) {
  try {
    windows::run_member(member, handler);
  } catch (const Error& error) {
    if (!form.report_error(error)) throw;
  }
}

int month_of(std::wstring_view name) {
  static constexpr std::array<std::wstring_view, 12> kMonths{L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (kMonths[i] == name) return static_cast<int>(i) + 1;
  }
  return 0;
}

// "ddd mmm dd hh:nn:ss yyyy" as FormatTime writes it.
std::optional<Date> shown_time(std::wstring_view text) {
  constexpr std::size_t kLength = 24;
  if (text.size() < kLength) return std::nullopt;
  auto number = [&](std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
      if (text[i] < L'0' || text[i] > L'9') return -1;
      value = value * 10 + (text[i] - L'0');
    }
    return value;
  };
  const int month = month_of(text.substr(4, 3));
  const DateParts parts{number(20, 4), month, number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
  if (month == 0 || parts.year < 0 || parts.day < 1 || parts.hour < 0 || parts.minute < 0 || parts.second < 0) {
    return std::nullopt;
  }
  return make_date(parts);
}

// What the window shows once its load (and the clicks of a report with the
// applications) ran.
void read_window(FrmComputerDetails& window, report::ComputerReport& out) {
  forms::Form& form = window.form();
  auto label = [&form](int index) -> std::wstring { return form.get<forms::Label>(L"Label2", index).caption(); };
  // The address labels show their design text until the load fills them; a
  // name that did not resolve leaves the MAC address's so.
  auto address = [&label](int index, std::wstring_view placeholder) {
    std::wstring text = label(index);
    return text == placeholder ? std::wstring() : text;
  };
  const forms::CheckBox& active = form.get<forms::CheckBox>(L"chkActive", 0);
  if (active.visible()) out.active = active.value() == forms::check_value::kChecked;
  out.reachable = form.get<forms::CheckBox>(L"chkActive", 1).value() == forms::check_value::kChecked;
  out.ip_address = address(5, L"IP Address");
  out.host_name = address(6, L"Full Name");
  out.mac_address = address(9, L"MAC Address");
  out.os = label(2);
  forms::ComboBox& types = form.get<forms::ComboBox>(L"cmbTypes");
  for (int i = 0; i < types.list_count(); ++i) out.server_types.push_back(types.list(i));
  out.description = label(1);
  out.users = rows_of(form.get<forms::ListView>(L"ListView1", 2));
  out.console_account = window.ConsoleAccount;
  if (!out.with_apps) return;
  const forms::Nodes& nodes = form.get<forms::TreeView>(L"tvwApps").nodes();
  for (int i = 1; i <= nodes.count(); ++i) {
    if (!nodes.item(i).parent()) collect_packages(nodes.item(i), out.packages);
  }
  out.groups = rows_of(form.get<forms::ListView>(L"ListView1", 1));
  out.make_model = label(3);
}

// The remote time as the load left it, the zone the click on "&Remote Time:"
// adds to it (the bracketed part from its first "("), and the skew.
void read_time(FrmComputerDetails& window, report::ComputerReport& out) {
  forms::Form& form = window.form();
  forms::Label& remote = form.get<forms::Label>(L"Label2", 0);
  out.remote_time = remote.caption();
  if (!out.reachable || out.remote_time.empty() || out.remote_time == kNoRemoteTime) return;
  const std::wstring local_time = form.get<forms::Label>(L"Label2", 7).caption();
  run_handler(form, L"Label1_Click", [&] { window.Label1_Click(0); });
  const std::wstring& zoned = remote.caption();
  if (const std::size_t open = zoned.find(L'('); open != std::wstring::npos) out.time_zone = zoned.substr(open);
  // Another computer's clock runs in its own zone: the window calls the zones
  // the same when its bias equals this machine's, and so does the skew.
  int32_t difference = 0;
  const outside::Computer computer = window.computer();
  const outside::DomainObject domain = window.domain_object();
  const bool this_machine =
      domain.this_computer_name() == computer.name() && domain.this_domain_name() == computer.domain();
  if (!this_machine) {
    int32_t bias = computer.tz_bias();
    if (bias == 9999) bias = computer.tz();
    if (bias != window.LocalTimeZone.Bias) difference = bias - window.LocalTimeZone.Bias;
  }
  out.clock_skew_seconds = ClockSkewSeconds(out.remote_time, local_time, difference);
}

}  // namespace

std::optional<int64_t> ClockSkewSeconds(std::wstring_view remote_time, std::wstring_view local_time,
                                        int32_t bias_difference_minutes) {
  const std::optional<Date> remote = shown_time(remote_time);
  const std::optional<Date> local = shown_time(local_time);
  if (!remote || !local) return std::nullopt;
  const auto seconds = static_cast<int64_t>(std::llround((remote->value - local->value) * 86400.0));
  return seconds + int64_t{bias_difference_minutes} * 60;
}

report::ComputerReport ReportComputer(FrmComputerDetails& shown, bool with_apps) {
  component::Environment& shown_env = shown.environment();
  ReportUserInterface ui;
  component::Environment env{shown_env.window_system, ui, {}, shown_env.services, shown_env.host_controls};

  report::ComputerReport out;
  out.with_apps = with_apps;
  {
    FrmComputerDetails window(env);
    window.ReportOnly = true;
    ui.watch(window.form());
    window.set_AdminAcct(shown.AdminAcct());
    window.set_Password(shown.Password());
    window.set_DomainObject(shown.DomainObject());
    forms::Form& form = window.form();
    form.load();
    if (env.host_controls) env.host_controls(form.get<forms::HostControl>(L"Ping1"));
    run_handler(form, L"Report", [&] { window.set_Computer(shown.Computer()); });
    out.computer = window.ComputerName;
    if (window.Computer()) {
      run_handler(form, L"Report", [&] { out.domain = window.computer().domain(); });
    }
    window.Form_Activate();
    if (with_apps && window.Computer()) {
      run_handler(form, L"Label1_Click", [&] { window.Label1_Click(5); });
      run_handler(form, L"Label1_Click", [&] { window.Label1_Click(6); });
    }
    read_window(window, out);
    if (window.Computer()) run_handler(form, L"Report", [&] { read_time(window, out); });
    // What the load took from the computer ("IPC$", the "QM" hive) goes back.
    run_handler(form, L"Form_Unload", [&] { form.unload(); });
  }
  out.errors = ui.take_errors();
  return out;
}

std::wstring FrmComputerDetails::Report(std::wstring_view format, bool with_apps) {
  const std::optional<report::Format> chosen = report::parse_format(format);
  if (!chosen) {
    throw Error(vb_error::kInvalidProcedureCall,
                L"Report: the format \"" + std::wstring(format) + L"\" is not \"json\" or \"csv\"");
  }
  return report::from_utf8(report::format_report(ReportComputer(*this, with_apps), *chosen));
}

}  // namespace pendrel::details
