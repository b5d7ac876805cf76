#include "details/frm_computer_details.h"

#include "database/management_database.h"
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
  add_label(f, frame, 8, L"&Current Time:", {120, 120, 1215, 255});
  add_value(f, frame, 7, {1380, 120, 2535, 255}, L"Current time on the local computer");
  add_label(f, frame, 10, L"&DT", {4080, 120, 375, 255});
  add_value(f, frame, 4, {4500, 120, 2835, 255}, L"Date/Time when the Daylight Savings Time takes effect");

  click_to_load(
      add_label(f, frame, 0, L"&Remote Time:", {120, 420, 1215, 255}, L"Click to get the Time Zone and mode"));
  add_value(f, frame, 0, {1380, 420, 2535, 255}, L"Current time on the remote computer");
  add_label(f, frame, 11, L"&ST", {4080, 420, 375, 255});
  add_value(f, frame, 8, {4500, 420, 2835, 255}, L"Date/Time when the Standard Time takes effect");

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

  click_to_load(add_label(f, frame, 4, L"&Version", {120, 2040, 1215, 255},
                          L"The remote computer's Make and Model.  Click to Load."));
  add_value(f, frame, 3, {1380, 2040, 5955, 495}, L"The remote computer's Make and Model");
}

}  // namespace

FrmComputerDetails::FrmComputerDetails(component::Environment& env)
    : component::ComponentWindow(env.window_system),
      env_(env),
      form_(L"frmComputerDetails", [this](forms::Form& f) { design(f); }) {
  windows::attach_environment(form_, env);
  form_.on_load = [this] { Form_Load(); };
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
  tabs.on_click = [this] { TabStrip1_Click(); };

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
  f.add_to<TreeView>(applications, L"tvwApps").move(120, 360, 7215, 2295);

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
  add_button(f, &status, 2, L"&Wake Up", {120, 1860, 1095, 375});
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
  active_box.on_click = [this] { chkActive_Click(0); };

  CommandButton& ok = add_button(f, nullptr, 0, L"&OK", {6480, 3420, 1275, 435});
  ok.set_default(true);
  ok.set_cancel(true);

  windows::add_list_images(f.add<ImageList>(L"ImageList1", 2));
  forms::HostControl& ping = f.add<forms::HostControl>(L"Ping1");
  ping.set_class_name(L"Ping");
  ping.set_visible(false);
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

void FrmComputerDetails::computer_set() {
  if (!Computer()) {
    form_.set_caption(kNoComputerCaption);
    return;
  }
  ComputerName = outside::Computer(Computer()).name();
  form_.set_caption(ComputerName + L" ...");
}

void FrmComputerDetails::chkActive_Click(int index) {
  if (index != 0) return;
  const bool checked = form_.get<CheckBox>(L"chkActive", 0).value() == forms::check_value::kChecked;
  database::StoreActive(database::management_database().EquipmentRecord, checked);
}

void FrmComputerDetails::TabStrip1_Click() {
  const int tab = form_.get<TabStrip>(L"TabStrip1").selected_index();
  form_.get<Frame>(L"fraContainer", tab - 1).zorder(0);
}

}  // namespace pendrel::details
