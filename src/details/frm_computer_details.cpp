#include "details/frm_computer_details.h"

#include "apps/applications.h"
#include "apps/machine_config.h"
#include "database/management_database.h"
#include "details/time_zone.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/host_control.h"
#include "forms/image.h"
#include "forms/image_list.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/pictures.h"
#include "forms/tab_strip.h"
#include "forms/tree_view.h"
#include "outside/computer.h"
#include "outside/controls.h"
#include "windows/window_support.h"

namespace pendrel::details {

using forms::CheckBox;
using forms::ComboBox;
using forms::CommandButton;
using forms::Frame;
using forms::Image;
using forms::ImageList;
using forms::Label;
using forms::ListView;
using forms::TabStrip;
using forms::TreeView;

namespace {

// A handler as the form calls it, named for the error box.
template <class Handler>
std::function<void()> member(const wchar_t* name, Handler handler) {
  return [name, handler] { windows::run_member(name, handler); };
}

// The captions that load more on a click, and underline while the mouse is
// over them.
constexpr int kClickToLoad[] = {0, 4, 5, 6};

constexpr wchar_t kWakeUpSent[] =
    L"Wake up message has been sent.  Check this computer again in a few minutes.";
constexpr wchar_t kActiveTip[] = L"Is this an active computer in the Corvix database?";

Label& add_label(forms::Form& f, Frame& frame, int index, const wchar_t* caption, forms::Bounds at,
                 const wchar_t* tip = L"") {
  Label& label = f.add_to<Label>(frame, L"Label1", index);
  label.set_caption(caption);
  label.move(at.left, at.top, at.width, at.height);
  label.set_tool_tip_text(tip);
  return label;
}

Label& add_value(forms::Form& f, Frame& frame, int index, forms::Bounds at, const wchar_t* tip,
                 const wchar_t* text = L"") {
  Label& value = f.add_to<Label>(frame, L"Label2", index);
  value.set_caption(text);
  value.set_use_mnemonic(false);
  value.move(at.left, at.top, at.width, at.height);
  value.set_tool_tip_text(tip);
  return value;
}

// The "click to load" captions show a pointer of their own.
void click_to_load(Label& label) {
  label.set_mouse_pointer(forms::mouse_pointer::kCustom);
  label.set_mouse_icon(forms::picture::kHandPointer);
}

CommandButton& add_button(forms::Form& f, Frame* frame, int index, const wchar_t* caption, forms::Bounds at) {
  CommandButton& button = frame ? f.add_to<CommandButton>(*frame, L"Command1", index)
                                 : f.add<CommandButton>(L"Command1", index);
  button.set_caption(caption);
  button.move(at.left, at.top, at.width, at.height);
  return button;
}

ListView& add_list(forms::Form& f, Frame& frame, int index, forms::Bounds at) {
  ListView& list = f.add_to<ListView>(frame, L"ListView1", index);
  list.move(at.left, at.top, at.width, at.height);
  list.set_view(forms::list_view_style::kReport);
  list.column_headers().add(L"Type", 1440);
  list.column_headers().add(L"Name", 2400);
  list.column_headers().add(L"Description", 3195);
  return list;
}

void design_system_frame(forms::Form& f, Frame& frame) {
  // The two times take the whole row: with the zone behind them they are
  // about 50 characters long.
  add_label(f, frame, 8, L"&Current Time:", {120, 120, 1215, 255});
  add_value(f, frame, 7, {1380, 120, 5955, 255}, L"Current time on the local computer");

  click_to_load(
      add_label(f, frame, 0, L"&Remote Time:", {120, 420, 1215, 255}, L"Click to get the Time Zone and mode"));
  add_value(f, frame, 0, {1380, 420, 5955, 255}, L"Current time on the remote computer");

  add_label(f, frame, 1, L"&Description:", {120, 720, 1215, 255});
  add_value(f, frame, 1, {1380, 720, 5955, 255}, L"Browsable description of the remote computer");

  add_label(f, frame, 2, L"&OS", {120, 1020, 1215, 255});
  add_value(f, frame, 2, {1380, 1020, 5955, 255}, L"The remote computer's Operating System and Version");

  add_label(f, frame, 7, L"&IP", {120, 1320, 1215, 255}, L"The remote computer's IP Information");
  add_value(f, frame, 5, {1380, 1320, 1695, 255}, L"", L"IP Address");
  add_value(f, frame, 6, {3180, 1320, 2355, 255}, L"", L"Full Name");
  add_value(f, frame, 9, {5640, 1320, 1695, 255}, L"", L"MAC Address");

  add_label(f, frame, 3, L"&Type", {120, 1665, 1215, 255});
  ComboBox& types = f.add_to<ComboBox>(frame, L"cmbTypes");
  types.set_style(forms::combo_style::kDropdownList);
  types.move(1380, 1620, 5955, 315);
  types.set_tool_tip_text(L"The remote computer's NT attributes");

  click_to_load(add_label(f, frame, 4, L"&Version", {120, 1995, 1215, 255},
                          L"The remote computer's Make and Model.  Click to Load."));
  add_value(f, frame, 3, {1380, 1995, 5955, 375}, L"The remote computer's Make and Model");

  add_label(f, frame, 10, L"&DT", {120, 2415, 375, 255});
  add_value(f, frame, 4, {540, 2415, 3015, 255}, L"Date/Time when the Daylight Savings Time takes effect");
  add_label(f, frame, 11, L"&ST", {3660, 2415, 375, 255});
  add_value(f, frame, 8, {4080, 2415, 3255, 255}, L"Date/Time when the Standard Time takes effect");
}

}  // namespace

FrmComputerDetails::FrmComputerDetails(component::Environment& env)
    : component::ComponentWindow(env.window_system),
      env_(env),
      form_(L"frmComputerDetails", [this](forms::Form& f) { design(f); }) {
  windows::attach_environment(form_, env);
  form_.on_load = member(L"Form_Load", [this] { Form_Load(); });
  form_.on_activate = [this] { Form_Activate(); };
  form_.on_mouse_move = member(L"Form_MouseMove", [this] { Form_MouseMove(); });
  form_.on_unload = [this](int&) { windows::run_member(L"Form_Unload", [this] { Form_Unload(); }); };
}

component::Services& FrmComputerDetails::services() const {
  if (!env_.services) throw Error::vb(vb_error::kObjectVariableNotSet);
  return *env_.services;
}

void FrmComputerDetails::design(forms::Form& f) {
  f.set_caption(L"Form1");
  f.set_border_style(forms::border_style::kFixedDialog);
  f.set_start_up_position(forms::start_up_position::kCenterScreen);
  f.set_client_size(7845, 3915);

  TabStrip& tabs = f.add<TabStrip>(L"TabStrip1");
  tabs.move(60, 60, 7695, 3255);
  for (const wchar_t* caption : {L"&System", L"&Applications", L"&Work Groups", L"&Users", L"&Status"}) {
    tabs.add_tab(caption);
  }
  tabs.on_click = member(L"TabStrip1_Click", [this] { TabStrip1_Click(); });

  // One frame per tab; at design they lie side by side beyond the client
  // area, and the load stacks them on the first one.
  auto add_frame = [&f](int index) -> Frame& {
    Frame& frame = f.add<Frame>(L"fraContainer", index);
    frame.move(180 + 7560.0f * static_cast<float>(index), 420, 7455, 2775);
    return frame;
  };

  design_system_frame(f, add_frame(0));

  Frame& applications = add_frame(1);
  click_to_load(add_label(f, applications, 5, L"&Applications", {120, 105, 1575, 255},
                          L"The Applications installed on the remote computer.  Click to Load."));
  TreeView& apps_tree = f.add_to<TreeView>(applications, L"tvwApps");
  apps_tree.move(120, 360, 7215, 2295);
  apps_tree.on_dbl_click = member(L"tvwApps_DblClick", [this] { apps::tvwApps_DblClick(apps_window()); });
  apps_tree.on_expand = [](forms::Node& node) {
    windows::run_member(L"tvwApps_Expand", [&] { apps::tvwApps_Expand(node); });
  };
  apps_tree.on_collapse = [](forms::Node& node) {
    windows::run_member(L"tvwApps_Collapse", [&] { apps::tvwApps_Collapse(node); });
  };

  Frame& groups = add_frame(2);
  click_to_load(add_label(f, groups, 6, L"&Work Groups", {120, 150, 1575, 255},
                          L"The remote computer's Group Memberships.  Click to Load."));
  add_list(f, groups, 1, {60, 420, 7335, 2295});

  add_list(f, add_frame(3), 2, {60, 150, 7335, 2565});

  Frame& status = add_frame(4);
  add_button(f, &status, 1, L"&Ping", {120, 240, 1095, 375});
  Label& ping_results = f.add_to<Label>(status, L"PingResults");
  ping_results.set_use_mnemonic(false);
  ping_results.move(1260, 240, 4515, 1215);
  CheckBox& logons = f.add_to<CheckBox>(status, L"chkLogonsPermitted");
  logons.set_caption(L"&Logons Permitted");
  logons.move(120, 1560, 1575, 255);
  // Clickable only once the load found the computer off-line with a MAC address.
  add_button(f, &status, 2, L"&Wake Up", {120, 1860, 1095, 375}).set_enabled(false);
  add_button(f, &status, 3, L"Lo&gon Alerts", {120, 2280, 1095, 375});

  f.get<Frame>(L"fraContainer", 0).zorder(0);

  // Created off-line first so that the on-line picture lies in front.
  Image& off_line = f.add<Image>(L"Image1", 1);
  off_line.move(60, 3360, 480, 480);
  off_line.set_picture(forms::picture::kOffLine);
  off_line.set_tool_tip_text(L"This system currently Off-Line!");
  Image& on_line = f.add<Image>(L"Image1", 0);
  on_line.move(60, 3360, 480, 480);
  on_line.set_picture(forms::picture::kOnLine);
  on_line.set_tool_tip_text(L"This system currently On-Line!");

  CheckBox& online_box = f.add<CheckBox>(L"chkActive", 1);
  online_box.set_caption(L"&On-Line!");
  online_box.set_tool_tip_text(kActiveTip);
  online_box.move(720, 3540, 1035, 255);
  CheckBox& active_box = f.add<CheckBox>(L"chkActive", 0);
  active_box.set_caption(L"&Active");
  active_box.set_tool_tip_text(kActiveTip);
  active_box.move(2280, 3540, 1035, 255);
  for (int index : {0, 1}) {
    f.get<CheckBox>(L"chkActive", index).on_click =
        member(L"chkActive_Click", [this, index] { chkActive_Click(index); });
  }
  logons.on_click = member(L"chkLogonsPermitted_Click", [this] { chkLogonsPermitted_Click(); });

  CommandButton& ok = add_button(f, nullptr, 0, L"&OK", {6480, 3420, 1275, 435});
  ok.set_default(true);
  ok.set_cancel(true);

  windows::add_list_images(f.add<ImageList>(L"ImageList1", 2));
  forms::HostControl& ping = f.add<forms::HostControl>(L"Ping1");
  ping.set_class_name(L"Ping");
  ping.set_visible(false);
  ping.on_event = [this](std::wstring_view event, std::span<Variant> args) {
    if (event == L"ReplyReceived" && !args.empty()) {
      windows::run_member(L"Ping1_ReplyReceived", [&] { Ping1_ReplyReceived(args[0].to_long()); });
    } else if (event == L"StatusMessage" && args.size() >= 2) {
      windows::run_member(L"Ping1_StatusMessage", [&] { Ping1_StatusMessage(args[1].to_text()); });
    }
  };

  for (int index = 0; index <= 3; ++index) {
    f.get<CommandButton>(L"Command1", index).on_click =
        member(L"Command1_Click", [this, index] { Command1_Click(index); });
  }
  for (int index : {1, 2}) {
    f.get<ListView>(L"ListView1", index).on_column_click = [this, index](forms::ColumnHeader& header) {
      windows::run_member(L"ListView1_ColumnClick", [&] { ListView1_ColumnClick(index, header); });
    };
  }
  for (int index : kClickToLoad) {
    Label& label = f.get<Label>(L"Label1", index);
    label.on_click = member(L"Label1_Click", [this, index] { Label1_Click(index); });
    label.on_mouse_move = member(L"Label1_MouseMove", [this, index] { Label1_MouseMove(index); });
  }
}

void FrmComputerDetails::Form_Load() {
  const Frame& first = form_.get<Frame>(L"fraContainer", 0);
  for (int index = 1; index <= form_.upper_bound(L"fraContainer"); ++index) {
    Frame& frame = form_.get<Frame>(L"fraContainer", index);
    frame.move(first.left(), first.top(), frame.width(), frame.height());
  }
  ImageList* images = &form_.get<ImageList>(L"ImageList1", 2);
  for (int index : {1, 2}) {
    ListView& list = form_.get<ListView>(L"ListView1", index);
    list.set_icons(images);
    list.set_small_icons(images);
  }
  form_.get<TreeView>(L"tvwApps").set_image_list(images);
  LoadedOnce = false;
}

apps::AppsWindow FrmComputerDetails::apps_window() {
  return apps::AppsWindow{form_,       env_.ui,          computer(), domain_object(), services().registry,
                          services().tavisk, ComputerName, QMHome,     QMHiveLoaded};
}

std::wstring FrmComputerDetails::full_name() const {
  const outside::Computer host = computer();
  std::wstring name = host.domain() + L"\\";
  return name + host.name();
}

void FrmComputerDetails::computer_set() {
  if (!Computer()) {
    form_.set_caption(kNoComputerCaption);
    return;
  }
  ComputerName = outside::Computer(Computer()).name();
  form_.set_caption(ComputerName + L" ...");
}

void FrmComputerDetails::chkActive_Click(int index) {
  const bool checked = form_.get<CheckBox>(L"chkActive", index).value() == forms::check_value::kChecked;
  if (index == 0) {
    if (ReportOnly) return;
    database::StoreActive(database::management_database().EquipmentRecord, checked);
    return;
  }
  if (index != 1 || !Computer()) return;
  const outside::Computer host = computer();
  host.set_reachable(checked);
  form_.get<Image>(L"Image1", host.reachable() ? 0 : 1).zorder(0);
}

void FrmComputerDetails::chkLogonsPermitted_Click() {
  if (!form_.visible()) return;
  CheckBox& box = form_.get<CheckBox>(L"chkLogonsPermitted");
  if (box.value() != forms::check_value::kUnchecked) {
    const outside::Computer host = computer();
    host.set_logons_enabled(true);
    host.set_unlocks_enabled(true);
    return;
  }
  DispatchPtr settings = services().create_object(L"Pendrel.UnavailableProperties");
  settings->set(L"DomainObject", DomainObject());
  settings->set(L"Computer", Computer());
  settings->call(L"Show", {int16_t{1}});
  if (!settings->get(L"OK").to_bool()) box.set_value(forms::check_value::kChecked);
}

void FrmComputerDetails::Command1_Click(int index) {
  switch (index) {
    case 0:
      release_computer();
      form_.unload();
      break;
    case 1: {
      form_.refresh();
      const outside::PingControl ping(form_.get<forms::HostControl>(L"Ping1").object());
      ping.set_ping_host(computer().name());
      // PingHost is read before PingCount, in the order the line reads.
      std::wstring line = L"Pinging " + ping.ping_host() + L" with ";
      line += std::to_wstring(ping.ping_count()) + L" packets of data:\r\n\r\n";
      form_.get<Label>(L"PingResults").set_caption(line);
      ping.start_ping();
      break;
    }
    case 2: {
      const outside::Computer host = computer();
      host.set_mac_addr(form_.get<Label>(L"Label2", 9).caption());
      host.wake();
      env_.ui.message_box(kWakeUpSent, forms::msgbox_style::kOKOnly | forms::msgbox_style::kInformation,
                          windows::kComponentTitle);
      Command1_Click(0);
      break;
    }
    case 3: {
      DispatchPtr alerts = services().create_object(L"Pendrel.LogonProperties");
      alerts->set(L"DomainObject", DomainObject());
      alerts->set(L"Computer", Computer());
      env_.ui.set_mouse_pointer(forms::mouse_pointer::kHourglass);
      alerts->call(L"Show", {int16_t{1}});
      alerts.reset();
      env_.ui.set_mouse_pointer(forms::mouse_pointer::kDefault);
      break;
    }
    default:
      break;
  }
}

// What the window took from the computer goes back: "IPC$" is unmapped each
// time (the flag stays), a hive that would not unload stays marked so that
// the next clean-up tries again.
void FrmComputerDetails::release_computer() {
  if (IpcMapped) computer().resources(L"IPC$").unmap(true);
  if (QMHiveLoaded) {
    QMHiveLoaded = services().tavisk.NetRegUnLoadKey(ComputerName, static_cast<int32_t>(outside::kHkeyLocalMachine),
                                                     L"QM") != 0;
  }
}

void FrmComputerDetails::Form_Unload() { release_computer(); }

void FrmComputerDetails::ListView1_ColumnClick(int index, forms::ColumnHeader& header) {
  windows::SortListViewByColumn(form_.get<ListView>(L"ListView1", index), header);
}

void FrmComputerDetails::Label1_Click(int index) {
  if (index == 0) {
    ShowRemoteTimeZone(*this);
  } else if (index == 5) {
    apps::tvwApps_DblClick(apps_window());
  } else if (index == 4 || index == 6) {
    apps::LoadQMDetails(apps_window());
  }
}

void FrmComputerDetails::Label1_MouseMove(int index) {
  for (int hovered : kClickToLoad) {
    if (hovered == index) form_.get<Label>(L"Label1", index).set_font_underline(true);
  }
}

void FrmComputerDetails::Form_MouseMove() {
  for (int index : kClickToLoad) form_.get<Label>(L"Label1", index).set_font_underline(false);
}

void FrmComputerDetails::Ping1_ReplyReceived(int32_t milliseconds) {
  const outside::PingControl ping(form_.get<forms::HostControl>(L"Ping1").object());
  append_ping_line(L"Reply from " + ping.ping_address() + L": time=" + std::to_wstring(milliseconds) + L"ms");
}

void FrmComputerDetails::Ping1_StatusMessage(const std::wstring& message) { append_ping_line(message); }

// Each line shows while the ping still runs.
void FrmComputerDetails::append_ping_line(const std::wstring& line) {
  Label& results = form_.get<Label>(L"PingResults");
  results.set_caption(results.caption() + line + L"\r\n");
  results.refresh();
  env_.ui.do_events();
}

void FrmComputerDetails::TabStrip1_Click() {
  const int tab = form_.get<TabStrip>(L"TabStrip1").selected_index();
  form_.get<Frame>(L"fraContainer", tab - 1).zorder(0);
}

}  // namespace pendrel::details
