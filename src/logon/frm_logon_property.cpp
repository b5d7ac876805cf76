#include "logon/frm_logon_property.h"

#include <string>

#include "forms/check_box.h"
#include "forms/command_button.h"
#include "forms/frame.h"
#include "forms/host_control.h"
#include "forms/image_list.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "forms/user_interface.h"
#include "logon/account_lists.h"
#include "logon/kestrow_browse.h"
#include "outside/controls.h"
#include "outside/domain_object.h"
#include "windows/window_support.h"

namespace pendrel::logon {

using forms::CheckBox;
using forms::CommandButton;
using forms::Frame;
using forms::ImageList;
using forms::Label;
using forms::ListView;
using forms::TabStrip;
using forms::TextBox;

namespace {

constexpr int kWatchLists = 2;
constexpr int kLists = 4;
constexpr int kFirstAddButton = 3;
constexpr int kFirstDeleteButton = 7;
constexpr int kLastButton = 10;

// The stored value of each list, in the order activation reads them.
constexpr const wchar_t* kListValues[kLists] = {
    L"WatchForUsersToLogon",
    L"WatchForUsersToLogoff",
    L"AllowOnlyInteractiveLogon",
    L"DenyInteractiveLogon",
};

// What the browse dialog offers for each list (outside::KestrowControl).
constexpr int32_t kWatchListOptions = 71;
constexpr int32_t kLogonListOptions = 7;
constexpr const wchar_t* kBrowseTitles[kLists] = {
    L"Select Users/Groups to watch for Logons",
    L"Select Users/Groups to watch for Logoffs",
    L"Select Users/Groups to ONLY Allow Interactive Logons to",
    L"Select Users/Groups to Deny Interactive Logons to",
};

// A flag counts as set only when it equals 1 by number. A host may hand it
// back as text, which then counts by the number it reads as; text that reads
// as no number counts as clear, so that the window still opens on whatever
// the computer holds.
bool equals_one(const Variant& stored) {
  if (stored.kind() != Variant::Kind::Text) return vb_equal(stored, Variant(int32_t{1}));
  try {
    return stored.to_double() == 1;
  } catch (const Error&) {
    return false;
  }
}

Variant flag_value(const CheckBox& box) {
  return int32_t{box.value() == forms::check_value::kChecked ? 1 : 0};
}

// The tab area, twips. The check boxes sit at its top; frames 0 and 1 lie
// below them, frames 2 and 3 reach up over them.
constexpr float kFrameLeft = 240;
constexpr float kFrameWidth = 6135;
constexpr float kCheckTop = 540;
constexpr float kWatchFrameTop = 900;
constexpr float kListFrameTop = 480;
constexpr float kFrameBottom = 4095;

CommandButton& add_button(forms::Form& f, Frame* frame, int index, const wchar_t* caption, forms::Bounds at) {
  CommandButton& button = frame ? f.add_to<CommandButton>(*frame, L"cmdButton", index)
                                 : f.add<CommandButton>(L"cmdButton", index);
  button.set_caption(caption);
  button.move(at.left, at.top, at.width, at.height);
  return button;
}

}  // namespace

FrmLogonProperty::FrmLogonProperty(component::Environment& env)
    : component::ComponentWindow(env.window_system),
      env_(env),
      form_(L"frmLogonProperty", [this](forms::Form& f) { design(f); }) {
  windows::attach_environment(form_, env);
  form_.on_load = [this] { Form_Load(); };
  form_.on_activate = [this] { Form_Activate(); };
}

void FrmLogonProperty::design(forms::Form& f) {
  f.set_caption(L"Interactive Logon Properties");
  f.set_border_style(forms::border_style::kFixedDialog);
  f.set_start_up_position(forms::start_up_position::kCenterOwner);
  f.set_client_size(6615, 5355);
  // OK writes back all four lists: it waits until Activate has read them.
  f.set_holds_input_during_activate(true);

  TabStrip& tabs = f.add<TabStrip>(L"TabStrip1");
  tabs.move(120, 120, 6375, 4095);
  for (const wchar_t* caption : {L"&Logon Event", L"Logo&ff Event", L"&Allow Logon To", L"&Deny Logon"}) {
    tabs.add_tab(caption);
  }
  tabs.on_click = [this] { TabStrip1_Click(); };

  const wchar_t* check_captions[kWatchLists] = {L"Send Log O&n Event Message", L"Send Log &Off Event Message"};
  for (int i = 0; i < kWatchLists; ++i) {
    CheckBox& box = f.add<CheckBox>(L"chkLogons", i);
    box.set_caption(check_captions[i]);
    box.move(kFrameLeft, kCheckTop, 3615, 255);
    box.on_click = [this] { chkLogons_Click(); };
  }

  const wchar_t* frame_captions[kLists] = {
      L"&Watch for these specific users/groups ...",
      L"&Watch for these specific users/groups ...",
      L"&Allow Interactive logons to these specific users/groups ...",
      L"&Deny Interactive logons to these specific users/groups ...",
  };
  for (int i = 0; i < kLists; ++i) {
    const float top = i < kWatchLists ? kWatchFrameTop : kListFrameTop;
    const float height = kFrameBottom - top;
    Frame& frame = f.add<Frame>(L"fraWatch", i);
    frame.set_caption(frame_captions[i]);
    frame.move(kFrameLeft, top, kFrameWidth, height);

    ListView& list = f.add_to<ListView>(frame, L"ListView1", i);
    list.move(120, 300, 4695, height - 420);
    list.set_view(forms::list_view_style::kReport);
    list.column_headers().add(L"Name", 1440);
    list.column_headers().add(L"Description", 2100);
    // Unsorted, so that rows show in the stored order; descending by name, so
    // that the first click on "Name" flips to ascending.
    list.set_sort_order(forms::list_view_style::kDescending);
    list.on_column_click = [this, i](forms::ColumnHeader& header) { ListView1_ColumnClick(i, header); };
    add_button(f, &frame, kFirstAddButton + i, L"&Add ...", {4935, 300, 1080, 375});
    add_button(f, &frame, kFirstDeleteButton + i, L"&Delete", {4935, 780, 1080, 375});
  }

  Label& server_label = f.add<Label>(L"Label1", 0);
  server_label.set_caption(L"Event Logging &Server:");
  server_label.move(120, 4395, 1815, 255);
  f.add<TextBox>(L"txtData", 0).move(1980, 4350, 3255, 315);
  add_button(f, nullptr, 2, L"&Select ...", {5355, 4320, 1140, 375});

  add_button(f, nullptr, 0, L"&OK", {4095, 4860, 1140, 375}).set_default(true);
  add_button(f, nullptr, 1, L"&Cancel", {5355, 4860, 1140, 375}).set_cancel(true);

  forms::HostControl& browser = f.add<forms::HostControl>(L"Kestrow1");
  browser.set_class_name(L"Kestrow");
  browser.set_visible(false);
  windows::add_list_images(f.add<ImageList>(L"ImageList1", 2));

  for (int index = 0; index <= kLastButton; ++index) {
    f.get<CommandButton>(L"cmdButton", index).on_click = [this, index] { cmdButton_Click(index); };
  }
}

void FrmLogonProperty::Form_Load() {
  ImageList* images = &form_.get<ImageList>(L"ImageList1", 2);
  for (int i = 0; i < kLists; ++i) {
    ListView& list = form_.get<ListView>(L"ListView1", i);
    list.set_icons(images);
    list.set_small_icons(images);
    list.column_headers().item(1).set_width(kNameColumnWidth);
  }
  TabStrip1_Click();
}

void FrmLogonProperty::Form_Activate() {
  form_.zorder(0);
  const outside::Computer computer = this->computer();
  form_.set_caption(L"Interactive Logon Properties of " + computer.name());
  form_.refresh();
  env_.ui.do_events();
  for (int i = 0; i < kLists; ++i) {
    const Variant stored =
        computer.get_registry_value(outside::kHkeyLocalMachine, kRestrictionsKey, kListValues[i], L"");
    LoadListView(list(i), stored.to_text());
  }
  // A window whose renderer gave it no browse control still opens; its Add
  // buttons then report the missing object.
  if (const DispatchPtr& browser = form_.get<forms::HostControl>(L"Kestrow1").object()) {
    const outside::KestrowControl kestrow(browser);
    kestrow.set_target_computer(L"\\\\" + computer.name());
    // Window handles carry 32 significant bits, also on 64-bit Windows.
    kestrow.set_owner_window(static_cast<int32_t>(form_.hwnd()));
  }
  env_.ui.set_mouse_pointer(forms::mouse_pointer::kDefault);
  form_.zorder(0);
}

void FrmLogonProperty::computer_set() {
  const outside::Computer computer = this->computer();
  const auto flag_set = [&computer](const wchar_t* name) {
    const Variant stored =
        computer.get_registry_value(outside::kHkeyLocalMachine, kSettingsKey, name, int16_t{0});
    return equals_one(stored) ? forms::check_value::kChecked : forms::check_value::kUnchecked;
  };
  form_.get<TextBox>(L"txtData", 0)
      .set_text(computer.get_registry_value(outside::kHkeyLocalMachine, kSettingsKey, L"SendMsgServer", L"")
                    .to_text());
  form_.get<CheckBox>(L"chkLogons", 0).set_value(flag_set(L"SendLogonMsg"));
  form_.get<CheckBox>(L"chkLogons", 1).set_value(flag_set(L"SendLogoffMsg"));
  chkLogons_Click();
}

void FrmLogonProperty::chkLogons_Click() {
  for (int i = 0; i < kWatchLists; ++i) {
    const bool enabled = form_.get<CheckBox>(L"chkLogons", i).value() == forms::check_value::kChecked;
    form_.get<Frame>(L"fraWatch", i).set_enabled(enabled);
    form_.get<ListView>(L"ListView1", i).set_enabled(enabled);
    form_.get<CommandButton>(L"cmdButton", kFirstAddButton + i).set_enabled(enabled);
    form_.get<CommandButton>(L"cmdButton", kFirstDeleteButton + i).set_enabled(enabled);
  }
}

void FrmLogonProperty::TabStrip1_Click() {
  const int tab = form_.get<TabStrip>(L"TabStrip1").selected_index();
  form_.get<Frame>(L"fraWatch", 2).zorder(1);
  form_.get<Frame>(L"fraWatch", 3).zorder(1);
  form_.get<Frame>(L"fraWatch", tab - 1).zorder(0);
  if (tab == 1 || tab == 2) form_.get<CheckBox>(L"chkLogons", tab - 1).zorder(0);
}

void FrmLogonProperty::LoadListView(ListView& InListView1, const std::wstring& InData) {
  load_list_view(InListView1, InData, Computer(), DomainObject());
}

void FrmLogonProperty::ListView1_ColumnClick(int index, forms::ColumnHeader& header) {
  windows::SortListViewByColumn(list(index), header);
}

void FrmLogonProperty::cmdButton_Click(int index) {
  switch (index) {
    case 0: save(); break;
    case 1: form_.unload(); break;
    // "&Select ..." would put a chosen server into the server box, but the
    // browse control picks accounts, not computers, and the host offers no
    // list of servers: the button does nothing.
    case 2: break;
    default:
      if (index < kFirstDeleteButton) {
        add_accounts(index - kFirstAddButton);
      } else {
        delete_account(index - kFirstDeleteButton);
      }
  }
}

void FrmLogonProperty::save() {
  const outside::Computer computer = this->computer();
  const auto write = [&computer](const wchar_t* key, const wchar_t* name, Variant value) {
    computer.set_registry_value(outside::kHkeyLocalMachine, key, name, std::move(value));
  };
  const CheckBox& logon = form_.get<CheckBox>(L"chkLogons", 0);
  const CheckBox& logoff = form_.get<CheckBox>(L"chkLogons", 1);
  write(kSettingsKey, L"SendMsgServer", form_.get<TextBox>(L"txtData", 0).text());
  write(kSettingsKey, L"SendLogonMsg", flag_value(logon));
  write(kSettingsKey, L"SendLogoffMsg", flag_value(logoff));
  // A watch list whose box is clear keeps its stored value.
  if (logon.value() == forms::check_value::kChecked) {
    write(kRestrictionsKey, kListValues[0], account_list_value(list(0)));
  }
  if (logoff.value() == forms::check_value::kChecked) {
    write(kRestrictionsKey, kListValues[1], account_list_value(list(1)));
  }
  write(kRestrictionsKey, kListValues[2], account_list_value(list(2)));
  write(kRestrictionsKey, kListValues[3], account_list_value(list(3)));
  form_.unload();
}

void FrmLogonProperty::add_accounts(int list_index) {
  const DispatchPtr& browser = form_.get<forms::HostControl>(L"Kestrow1").object();
  const outside::KestrowControl kestrow(browser);
  kestrow.set_options(list_index < kWatchLists ? kWatchListOptions : kLogonListOptions);
  kestrow.set_title(kBrowseTitles[list_index]);
  // Our own browse control lists the accounts through the window's host
  // objects; another maker's control finds them itself.
  if (KestrowBrowse* own = KestrowBrowse::from(browser)) own->set_host_objects(Computer(), DomainObject());
  if (kestrow.show_browse() != 0) return;
  LoadListView(list(list_index), kestrow.selection());
}

void FrmLogonProperty::delete_account(int list_index) {
  ListView& accounts = list(list_index);
  // Without a selected row there is nothing to delete; the button stays
  // quiet rather than reporting an error.
  const forms::ListItem* selected = accounts.selected_item();
  if (!selected) return;
  accounts.list_items().remove(selected->index());
}

}  // namespace pendrel::logon
