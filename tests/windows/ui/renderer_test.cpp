// The renderer under Wine: a form with every control kind is loaded through
// the peer factory and checked through the real controls' state and message
// traffic. User actions are real messages taken from the queue by a plain
// loop, as a host's loop would, so the renderer's keyboard hook is exercised.
#include <set>
#include <string>
#include <vector>

#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/image.h"
#include "forms/image_list.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "forms/tree_view.h"
#include "platform/win32/ui/form_window.h"
#include "platform/win32/ui/pictures.h"
#include "platform/win32/ui/renderer.h"
#include "platform/win32/ui/screenshot.h"
#include "support.h"

namespace pendrel::win32::ui {
namespace {

using namespace forms;

using testing::class_of;
using testing::pump;
using testing::row_text;
using testing::text_of;
using testing::TimerAction;

LONG style_of(HWND w) { return GetWindowLongW(w, GWL_STYLE); }

LOGFONTW font_of(HWND w) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font;
}

RECT rect_in_parent(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void expect_rect(HWND w, int left, int top, int width, int height) {
  const RECT r = rect_in_parent(w);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
}

void post_key(HWND target, UINT message, WPARAM key) {
  PostMessageW(target, message, key, message == WM_SYSCHAR ? 0x20000000 : 0);
  pump();
}

// Children of a window from the top of the z-order down.
std::vector<HWND> stacking(HWND parent) {
  std::vector<HWND> order;
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) order.push_back(w);
  return order;
}

size_t place(const std::vector<HWND>& order, HWND w) { return std::find(order.begin(), order.end(), w) - order.begin(); }

std::wstring node_text(HWND tree, HTREEITEM item) {
  wchar_t buffer[128] = L"";
  TVITEMW tvi{};
  tvi.mask = TVIF_TEXT | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.pszText = buffer;
  tvi.cchTextMax = 128;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
  return buffer;
}

std::vector<std::wstring> children_texts(HWND tree, HTREEITEM parent) {
  std::vector<std::wstring> texts;
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(parent)));
  for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
    texts.push_back(node_text(tree, item));
  }
  return texts;
}

// A step for TimerAction that runs `action` once on the dialog box titled `title`.
std::function<bool()> on_dialog(const wchar_t* title, std::function<void(HWND)> action) {
  return [title, action = std::move(action)] {
    HWND dialog = testing::shown_dialog();
    if (!dialog || text_of(dialog) != title) return false;
    action(dialog);
    return true;
  };
}

class TestWindow {
 public:
  TestWindow() : form(L"frmTest", [this](Form& f) { design(f); }) { form.set_peer_factory(make_peer_factory()); }

  HWND hwnd(const Control& c) const { return dynamic_cast<FormWindow*>(form.peer())->window_of(c); }
  HWND hwnd(std::wstring_view name, int index = kNoIndex) { return hwnd(*form.find(name, index)); }
  template <class T>
  T& get(std::wstring_view name, int index = kNoIndex) {
    return form.get<T>(name, index);
  }
  HWND window() const { return reinterpret_cast<HWND>(form.hwnd()); }

  Form form;
  std::vector<std::wstring> log;

 private:
  void design(Form& f) {
    f.set_caption(L"Renderer Test");
    f.set_border_style(border_style::kFixedDialog);
    f.set_client_size(7845, 3915);
    f.set_start_up_position(start_up_position::kCenterScreen);
    f.on_load = [this] { log.push_back(L"Form_Load"); };
    f.on_activate = [this] { log.push_back(L"Form_Activate"); };
    f.on_query_unload = [this](int&, int mode) { log.push_back(L"Form_QueryUnload " + std::to_wstring(mode)); };
    f.on_mouse_move = [this] { log.push_back(L"Form_MouseMove"); };

    auto& tabs = f.add<TabStrip>(L"TabStrip1");
    tabs.move(60, 60, 7695, 3255);
    tabs.add_tab(L"&System");
    tabs.add_tab(L"&Lists");
    tabs.on_click = [this, &f, &tabs] {
      log.push_back(L"TabStrip1_Click " + std::to_wstring(tabs.selected_index()));
      f.get<Frame>(L"fraContainer", tabs.selected_index() - 1).zorder(0);
    };
    auto& system = f.add<Frame>(L"fraContainer", 0);
    system.move(180, 420, 7455, 2775);
    auto& lists = f.add<Frame>(L"fraContainer", 1);
    lists.move(180, 420, 7455, 2775);

    auto& label = f.add_to<Label>(system, L"Label1", 0);
    label.set_caption(L"&Name:");
    label.move(120, 240, 1000, 255);
    label.set_mouse_pointer(mouse_pointer::kCustom);
    label.set_mouse_icon(picture::kHandPointer);
    label.on_mouse_move = [this] { log.push_back(L"Label1_MouseMove 0"); };
    auto& name = f.add_to<TextBox>(system, L"txtData", 0);
    name.move(1200, 200, 2400, 285);
    name.on_key_press = [](int& key) {
      if ((key < '0' || key > '9') && key != key_ascii::kBackspace) key = 0;
    };
    name.on_change = [this] { log.push_back(L"txtData_Change 0"); };
    auto& active = f.add_to<CheckBox>(system, L"chkActive");
    active.set_caption(L"&Active");
    active.move(120, 600, 1035, 255);
    active.set_tool_tip_text(L"Is this an active computer?");
    active.on_click = [this, &active] { log.push_back(L"chkActive_Click " + std::to_wstring(active.value())); };
    auto& types = f.add_to<ComboBox>(system, L"cmbTypes");
    types.set_style(combo_style::kDropdownList);
    types.move(1200, 600, 2400, 315);
    for (const wchar_t* type : {L"Workstation", L"Server", L"Domain Controller"}) types.add_item(type);
    types.on_click = [this, &types] { log.push_back(L"cmbTypes_Click " + std::to_wstring(types.list_index())); };
    auto& message = f.add_to<TextBox>(system, L"txtData", 1);
    message.set_multi_line(true);
    message.set_scroll_bars(2);
    message.move(120, 1080, 3480, 1455);
    for (int i = 0; i < 2; ++i) {
      auto& image = f.add_to<Image>(system, L"Image1", i);
      image.set_picture(i == 0 ? picture::kOnLine : picture::kOffLine);
      image.move(3840, 240, 480, 480);
      image.set_tool_tip_text(i == 0 ? L"On-Line" : L"Off-Line");
    }

    auto& icons = f.add<ImageList>(L"ImageList1", 2);
    for (int p = 1; p <= 12; ++p) icons.add(p);
    auto& list = f.add_to<ListView>(lists, L"ListView1", 1);
    list.set_view(list_view_style::kReport);
    list.move(60, 240, 3600, 2415);
    list.column_headers().add(L"Name", 2350);
    list.column_headers().add(L"Description", 1440);
    list.set_icons(&icons);
    list.set_small_icons(&icons);
    list.on_column_click = [&list](ColumnHeader& header) {
      list.set_sorted(true);
      if (list.sort_key() == header.index() - 1) {
        list.set_sort_order(list.sort_order() == 0 ? 1 : 0);
      } else {
        list.set_sort_key(header.index() - 1);
        list.set_sort_order(0);
      }
    };
    list.on_item_click = [this](ListItem& item) { log.push_back(L"ListView1_ItemClick " + item.key()); };
    auto& tree = f.add_to<TreeView>(lists, L"tvwApps");
    tree.move(3720, 240, 3675, 2415);
    tree.set_image_list(&icons);
    tree.on_node_click = [this](Node& node) { log.push_back(L"tvwApps_NodeClick " + node.key()); };

    for (int i = 0; i < 2; ++i) {
      auto& button = f.add<CommandButton>(L"Command1", i);
      button.set_caption(i == 0 ? L"&OK" : L"&Cancel");
      button.move(i == 0 ? 5100 : 6480, 3420, 1275, 435);
      if (i == 0) button.set_default(true);
      if (i == 1) button.set_cancel(true);
      button.on_click = [this, i] { log.push_back(L"Command1_Click " + std::to_wstring(i)); };
    }
  }
};

TEST(Renderer, BuildsEveryControlHiddenFromTheModel) {
  TestWindow w;
  w.form.load();
  HWND form = w.window();
  ASSERT_TRUE(IsWindow(form));
  EXPECT_FALSE(IsWindowVisible(form));
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"Form_Load"});
  EXPECT_EQ(text_of(form), L"Renderer Test");
  EXPECT_TRUE(GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(style_of(form) & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  RECT client{};
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, 523);   // 7845 twips at 96 DPI
  EXPECT_EQ(client.bottom, 261);  // 3915 twips
  RECT outer{};
  GetWindowRect(form, &outer);
  EXPECT_EQ(w.form.width(), pixels_to_twips(outer.right - outer.left, 96));
  EXPECT_EQ(w.form.left(), pixels_to_twips(outer.left, 96));

  HWND tabs = w.hwnd(L"TabStrip1");
  EXPECT_EQ(class_of(tabs), WC_TABCONTROLW);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  wchar_t caption[32] = L"";
  TCITEMW tab{};
  tab.mask = TCIF_TEXT;
  tab.pszText = caption;
  tab.cchTextMax = 32;
  SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&tab));
  EXPECT_STREQ(caption, L"&Lists");
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
  expect_rect(tabs, 4, 4, 513, 217);

  HWND system = w.hwnd(L"fraContainer", 0);
  EXPECT_EQ(class_of(system), L"PendrelFrame");
  expect_rect(system, 12, 28, 497, 185);
  HWND box = stacking(system).back();
  EXPECT_EQ(class_of(box), WC_BUTTONW) << "the group box lies under the frame's controls";
  EXPECT_EQ(style_of(box) & BS_TYPEMASK, BS_GROUPBOX);

  HWND label = w.hwnd(L"Label1", 0);
  EXPECT_EQ(class_of(label), WC_STATICW);
  EXPECT_EQ(GetParent(label), system);
  EXPECT_EQ(text_of(label), L"&Name:");
  EXPECT_FALSE(style_of(label) & SS_NOPREFIX);
  HWND name = w.hwnd(L"txtData", 0);
  EXPECT_EQ(class_of(name), WC_EDITW);
  EXPECT_FALSE(style_of(name) & ES_MULTILINE);
  expect_rect(name, 80, 13, 160, 19);
  HWND message = w.hwnd(L"txtData", 1);
  EXPECT_EQ(style_of(message) & (ES_MULTILINE | WS_VSCROLL | ES_WANTRETURN), ES_MULTILINE | WS_VSCROLL | ES_WANTRETURN);
  HWND active = w.hwnd(L"chkActive");
  EXPECT_EQ(style_of(active) & BS_TYPEMASK, BS_3STATE);
  EXPECT_EQ(text_of(active), L"&Active");
  EXPECT_EQ(SendMessageW(active, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  HWND types = w.hwnd(L"cmbTypes");
  EXPECT_EQ(style_of(types) & 3, CBS_DROPDOWNLIST);
  EXPECT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(types, CB_GETCURSEL, 0, 0), CB_ERR);
  HWND image = w.hwnd(L"Image1", 0);
  EXPECT_EQ(style_of(image) & SS_TYPEMASK, SS_ICON);
  EXPECT_TRUE(SendMessageW(image, STM_GETICON, 0, 0));
  HWND ok = w.hwnd(L"Command1", 0);
  EXPECT_EQ(style_of(ok) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(style_of(w.hwnd(L"Command1", 1)) & BS_TYPEMASK, BS_PUSHBUTTON);
  HWND list = w.hwnd(L"ListView1", 1);
  EXPECT_EQ(class_of(list), WC_LISTVIEWW);
  EXPECT_EQ(style_of(list) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 157);  // 2350 twips
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 96);
  HWND tree = w.hwnd(L"tvwApps");
  EXPECT_EQ(class_of(tree), WC_TREEVIEWW);
  EXPECT_EQ(style_of(tree) & (TVS_HASLINES | TVS_HASBUTTONS), TVS_HASLINES | TVS_HASBUTTONS);

  // The system dialog font on every control.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  for (HWND control : {label, name, active, types, tabs, list, ok}) {
    const LOGFONTW font = font_of(control);
    EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName) << class_of(control);
    EXPECT_EQ(font.lfHeight, metrics.lfMessageFont.lfHeight);
  }

  // Windows created later lie in front: buttons, then the frames, the strip at the back.
  const auto order = stacking(form);
  EXPECT_LT(place(order, w.hwnd(L"Command1", 1)), place(order, w.hwnd(L"fraContainer", 1)));
  EXPECT_LT(place(order, w.hwnd(L"fraContainer", 1)), place(order, system));
  EXPECT_LT(place(order, system), place(order, tabs));
  EXPECT_EQ(order.size(), 5u);

  // One tooltip window for the form (besides the list's and the tree's own);
  // a tool per control with a tooltip.
  std::vector<HWND> all_tips;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND t, LPARAM p) -> BOOL {
        if (class_of(t) == TOOLTIPS_CLASSW) reinterpret_cast<std::vector<HWND>*>(p)->push_back(t);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all_tips));
  std::erase(all_tips, reinterpret_cast<HWND>(SendMessageW(list, LVM_GETTOOLTIPS, 0, 0)));
  std::erase(all_tips, reinterpret_cast<HWND>(SendMessageW(tree, TVM_GETTOOLTIPS, 0, 0)));
  ASSERT_EQ(all_tips.size(), 1u);
  HWND tips = all_tips.front();
  EXPECT_EQ(GetWindow(tips, GW_OWNER), form);
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 3);
  wchar_t tip[128] = L"";
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(active);
  tool.lpszText = tip;
  SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(tip, L"Is this an active computer?");

  w.form.unload();
  EXPECT_FALSE(IsWindow(form));
}

TEST(Renderer, ModelChangesReachTheControls) {
  TestWindow w;
  w.form.load();
  auto& active = w.get<CheckBox>(L"chkActive");
  HWND check = w.hwnd(active);
  // (Checked and unchecked, texts and captions set at run time: the window tests.)
  active.set_value(check_value::kGrayed);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_EQ(w.log.back(), L"chkActive_Click 2");
  active.set_caption(L"&Inactive");
  EXPECT_EQ(text_of(check), L"&Inactive");
  active.set_enabled(false);
  EXPECT_FALSE(IsWindowEnabled(check));
  active.set_visible(false);
  EXPECT_FALSE(style_of(check) & WS_VISIBLE);
  active.move(300, 900, 1500, 300);
  expect_rect(check, 20, 60, 100, 20);

  auto& name = w.get<TextBox>(L"txtData", 0);
  name.set_max_length(5);
  EXPECT_EQ(SendMessageW(w.hwnd(name), EM_GETLIMITTEXT, 0, 0), 5);

  // A disabled frame shows its controls disabled; their own Enabled stays.
  auto& system = w.get<Frame>(L"fraContainer", 0);
  system.set_enabled(false);
  EXPECT_FALSE(IsWindowEnabled(w.hwnd(name)));
  EXPECT_TRUE(name.enabled());
  system.set_enabled(true);
  EXPECT_TRUE(IsWindowEnabled(w.hwnd(name)));

  auto& label = w.get<Label>(L"Label1", 0);
  label.set_font_underline(true);
  EXPECT_TRUE(font_of(w.hwnd(label)).lfUnderline);

  auto& types = w.get<ComboBox>(L"cmbTypes");
  types.set_list_index(1);
  EXPECT_EQ(SendMessageW(w.hwnd(types), CB_GETCURSEL, 0, 0), 1);
  types.add_item(L"Cluster", 0);
  EXPECT_EQ(SendMessageW(w.hwnd(types), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(w.hwnd(types), CB_GETCURSEL, 0, 0), 2);

  // Selecting a tab brings its frame, with everything in it, to the front.
  auto& tabs = w.get<TabStrip>(L"TabStrip1");
  HWND lists = w.hwnd(L"fraContainer", 1);
  HWND system_window = w.hwnd(system);
  tabs.select(1 + 1);
  EXPECT_EQ(SendMessageW(w.hwnd(tabs), TCM_GETCURSEL, 0, 0), 1);
  tabs.select(1);
  EXPECT_LT(place(stacking(w.window()), system_window), place(stacking(w.window()), lists));
  EXPECT_EQ(GetParent(w.hwnd(name)), system_window);

  // Windowless pictures restack among themselves.
  w.get<Image>(L"Image1", 1).zorder(0);
  const auto in_frame = stacking(system_window);
  EXPECT_LT(place(in_frame, w.hwnd(L"Image1", 1)), place(in_frame, w.hwnd(L"Image1", 0)));

  w.form.set_width(7845);
  RECT outer{};
  GetWindowRect(w.window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 523);
  EXPECT_EQ(w.form.width(), 7845.0f);

  auto& cancel = w.get<CommandButton>(L"Command1", 1);
  cancel.set_default(true);
  EXPECT_EQ(style_of(w.hwnd(cancel)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(style_of(w.hwnd(L"Command1", 0)) & BS_TYPEMASK, BS_PUSHBUTTON);

  // A change of look fixed at design builds the control again.
  auto& message = w.get<TextBox>(L"txtData", 1);
  message.set_text(L"kept");
  message.set_multi_line(false);
  HWND rebuilt = w.hwnd(message);
  EXPECT_FALSE(style_of(rebuilt) & ES_MULTILINE);
  EXPECT_EQ(text_of(rebuilt), L"kept");
  expect_rect(rebuilt, 8, 72, 232, 97);
}

TEST(Renderer, UserActionsReachTheModel) {
  TestWindow w;
  w.form.show();
  pump();
  EXPECT_EQ(w.log, (std::vector<std::wstring>{L"Form_Load", L"Form_Activate"}));
  w.log.clear();

  auto& active = w.get<CheckBox>(L"chkActive");
  HWND check = w.hwnd(active);
  SendMessageW(check, BM_CLICK, 0, 0);
  EXPECT_EQ(active.value(), check_value::kChecked);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"chkActive_Click 1"});
  // A click the model refuses leaves the box as the model has it.
  active.set_enabled(false);
  SendMessageW(check, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(check), BN_CLICKED), reinterpret_cast<LPARAM>(check));
  SendMessageW(GetParent(check), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(check), BN_CLICKED), reinterpret_cast<LPARAM>(check));
  EXPECT_EQ(active.value(), check_value::kChecked);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  active.set_enabled(true);

  // Typed characters pass KeyPress: letters are discarded before the edit sees them.
  auto& name = w.get<TextBox>(L"txtData", 0);
  HWND edit = w.hwnd(name);
  w.log.clear();
  for (wchar_t c : {L'a', L'4', L'-', L'2'}) SendMessageW(edit, WM_CHAR, c, 1);
  EXPECT_EQ(text_of(edit), L"42");
  EXPECT_EQ(name.text(), L"42");
  EXPECT_EQ(w.log, (std::vector<std::wstring>{L"txtData_Change 0", L"txtData_Change 0"}));

  // A real click on the second tab, then the control's notification for the
  // first. (The controls each frame covers: logon_window_test.)
  HWND strip = w.hwnd(L"TabStrip1");
  w.log.clear();
  testing::click_tab(strip, 1);
  EXPECT_EQ(w.get<TabStrip>(L"TabStrip1").selected_index(), 2);
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"TabStrip1_Click 2"});
  testing::select_tab(strip, 0);
  EXPECT_EQ(w.get<TabStrip>(L"TabStrip1").selected_index(), 1);

  auto& types = w.get<ComboBox>(L"cmbTypes");
  HWND combo = w.hwnd(types);
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(types.list_index(), 2);
  EXPECT_EQ(types.text(), L"Domain Controller");

  // A row selected in the control is the model's selection. (Column clicks
  // that sort: logon_window_test.)
  auto& list = w.get<ListView>(L"ListView1", 1);
  for (const wchar_t* key : {L"b", L"c", L"a"}) list.list_items().add(key, key, picture::kUser, picture::kUser);
  w.log.clear();
  testing::select_row(w.hwnd(list), 1);
  ASSERT_TRUE(list.selected_item());
  EXPECT_EQ(list.selected_item()->key(), L"c");
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"ListView1_ItemClick c"});

  auto& tree = w.get<TreeView>(L"tvwApps");
  Node& root = tree.nodes().add(L"AppImage", L"AppImage", picture::kFolderOpen);
  Node& word = tree.nodes().add(&root, Relationship::Child, L"AppImage\\Word", L"Word", picture::kPackage);
  HWND nodes = w.hwnd(tree);
  w.log.clear();
  const auto child = reinterpret_cast<HTREEITEM>(SendMessageW(
      nodes, TVM_GETNEXTITEM, TVGN_CHILD, SendMessageW(nodes, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
  SendMessageW(nodes, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child));
  EXPECT_TRUE(word.selected());
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"tvwApps_NodeClick AppImage\\Word"});

  // Keys go through the hook under a plain loop: Tab, access keys. (Enter and
  // Esc: the window tests.)
  SetFocus(edit);
  post_key(edit, WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), check);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  post_key(check, WM_KEYDOWN, VK_TAB);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(GetFocus(), edit);
  // The model's tab order may leave a frame in the middle.
  w.get<CommandButton>(L"Command1", 1).set_tab_index(name.tab_index() + 1);
  post_key(edit, WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), w.hwnd(L"Command1", 1));

  w.log.clear();
  post_key(GetFocus(), WM_SYSCHAR, L'a');
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"chkActive_Click 0"});
  EXPECT_EQ(GetFocus(), check);
  post_key(check, WM_SYSCHAR, L'n');
  EXPECT_EQ(GetFocus(), edit) << "a label's access key focuses the next control";

  w.log.clear();
  SendMessageW(w.hwnd(L"Label1", 0), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  SendMessageW(w.window(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(w.log, (std::vector<std::wstring>{L"Label1_MouseMove 0", L"Form_MouseMove"}));
  // The user moves the window: the model learns the place in twips.
  SetWindowPos(w.window(), nullptr, 30, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(w.form.left(), 450.0f);
  EXPECT_EQ(w.form.top(), 675.0f);

  w.log.clear();
  SendMessageW(w.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"Form_QueryUnload 0"});
  EXPECT_FALSE(w.form.loaded());
  EXPECT_FALSE(IsWindow(edit));
}

TEST(Renderer, ListsAndTreesFollowTheModelInOrder) {
  TestWindow w;
  w.form.load();
  auto& list = w.get<ListView>(L"ListView1", 1);
  HWND rows = w.hwnd(list);
  {
    auto batch = list.begin_update();
    for (int i = 0; i < 1000; ++i) {
      const std::wstring key = L"row" + std::to_wstring(1000 + i);
      list.list_items().add(key, key, 0, i % 2 ? picture::kGlobalGroup : picture::kUser)
          .set_sub_item(1, L"sub " + std::to_wstring(i));
    }
    EXPECT_EQ(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), 0) << "nothing shown during the bulk load";
  }
  EXPECT_EQ(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), 1000);
  EXPECT_EQ(row_text(rows, 0), L"row1000");
  EXPECT_EQ(row_text(rows, 999), L"row1999");
  EXPECT_EQ(row_text(rows, 500, 1), L"sub 500");
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = 501;
  SendMessageW(rows, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, picture::kGlobalGroup - 1);

  list.list_items().add(L"first", L"first", 0, 0, 1);
  list.list_items().remove(L"row1001");
  EXPECT_EQ(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), 1000);
  EXPECT_EQ(row_text(rows, 0), L"first");
  EXPECT_EQ(row_text(rows, 2), L"row1002");
  list.set_sorted(true);
  list.set_sort_order(list_view_style::kDescending);
  EXPECT_EQ(row_text(rows, 0), L"row1999");
  list.list_items().item(L"row1500").set_text(L"zzz");
  EXPECT_EQ(row_text(rows, 0), L"zzz");
  EXPECT_EQ(row_text(rows, 999), L"first");

  // The selection stays on its row when rows before it go; typing finds by text.
  list.list_items().item(L"row1900").set_selected(true);
  list.list_items().remove(L"row1950");
  EXPECT_EQ(SendMessageW(rows, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 99);
  EXPECT_EQ(row_text(rows, 99), L"row1900");
  LVFINDINFOW find{};
  find.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
  find.psz = L"ROW10";
  EXPECT_EQ(row_text(rows, static_cast<int>(SendMessageW(rows, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)))),
            L"row1099");

  // Twelve drawn icons, all different.
  auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(rows, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  ASSERT_EQ(ImageList_GetImageCount(images), 12);
  std::set<std::vector<DWORD>> drawn;
  for (int i = 0; i < 12; ++i) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    unique_hbitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    unique_hdc dc(CreateCompatibleDC(nullptr));
    {
      selection use(dc.get(), bitmap.get());
      ImageList_Draw(images, i, dc.get(), 0, 0, ILD_NORMAL);
      GdiFlush();
    }
    const auto* pixels = static_cast<const DWORD*>(bits);
    drawn.insert(std::vector<DWORD>(pixels, pixels + 256));
  }
  EXPECT_EQ(drawn.size(), 12u);

  auto& tree = w.get<TreeView>(L"tvwApps");
  HWND nodes = w.hwnd(tree);
  Node& root = tree.nodes().add(L"AppImage", L"AppImage", picture::kFolderOpen);
  root.set_sorted(true);
  for (const wchar_t* name : {L"Word", L"excel", L"Access"}) {
    tree.nodes().add(&root, Relationship::Child, std::wstring(L"AppImage\\") + name, name, picture::kPackage);
  }
  Node& second = tree.nodes().add(L"second", L"second");
  tree.nodes().add(&second, Relationship::Previous, L"first", L"first");
  const auto top = reinterpret_cast<HTREEITEM>(SendMessageW(nodes, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  EXPECT_EQ(children_texts(nodes, nullptr), (std::vector<std::wstring>{L"AppImage", L"first", L"second"}));
  EXPECT_EQ(children_texts(nodes, top), (std::vector<std::wstring>{L"Access", L"excel", L"Word"}));
  tree.nodes().item(L"AppImage\\Access").set_text(L"Project");
  EXPECT_EQ(children_texts(nodes, top), (std::vector<std::wstring>{L"excel", L"Project", L"Word"}));
  TVITEMW tvi{};
  tvi.mask = TVIF_IMAGE | TVIF_HANDLE;
  tvi.hItem = top;
  SendMessageW(nodes, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi));
  EXPECT_EQ(tvi.iImage, picture::kFolderOpen - 1);
  root.set_expanded(true);
  EXPECT_TRUE(SendMessageW(nodes, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED) & TVIS_EXPANDED);
  tree.nodes().item(L"second").set_selected(true);
  EXPECT_EQ(node_text(nodes, reinterpret_cast<HTREEITEM>(SendMessageW(nodes, TVM_GETNEXTITEM, TVGN_CARET, 0))), L"second");
  tree.set_sorted(true);
  tree.nodes().item(L"first").set_text(L"zeta");
  EXPECT_EQ(children_texts(nodes, nullptr), (std::vector<std::wstring>{L"AppImage", L"second", L"zeta"}));
  tree.nodes().remove(L"AppImage");
  EXPECT_EQ(SendMessageW(nodes, TVM_GETCOUNT, 0, 0), 2);
  {
    auto batch = tree.begin_update();
    Node& many = tree.nodes().add(L"many", L"many");
    for (int i = 0; i < 1000; ++i) tree.nodes().add(&many, Relationship::Child, L"n" + std::to_wstring(i), L"n");
  }
  EXPECT_EQ(SendMessageW(nodes, TVM_GETCOUNT, 0, 0), 1003);
}

TEST(Renderer, ModalLoopsAndBoxes) {
  TestWindow owner;
  owner.form.show();
  TestWindow w;
  w.form.load();
  bool owner_enabled_meanwhile = true;
  HWND owner_meanwhile = nullptr;
  {
    TimerAction hide([&] {
      owner_enabled_meanwhile = IsWindowEnabled(owner.window()) != FALSE;
      owner_meanwhile = GetWindow(w.window(), GW_OWNER);
      w.form.hide();
      return true;
    });
    w.form.show(1);
  }
  EXPECT_FALSE(w.form.visible());
  EXPECT_FALSE(owner_enabled_meanwhile);
  EXPECT_EQ(owner_meanwhile, owner.window());
  EXPECT_TRUE(IsWindowEnabled(owner.window()));
  EXPECT_EQ(GetActiveWindow(), owner.window());

  // WM_QUIT ends the modal loop and is posted again for the outer loop.
  {
    TimerAction quit([] {
      PostQuitMessage(7);
      return true;
    });
    w.form.show(1);
  }
  MSG quit{};
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
  w.form.hide();

  Win32UserInterface ui(L"Pendrel");
  std::wstring shown_default, shown_prompt;
  {
    TimerAction type(on_dialog(L"Input Test", [&](HWND dialog) {
      HWND edit = FindWindowExW(dialog, nullptr, WC_EDITW, nullptr);
      shown_default = text_of(edit);
      shown_prompt = text_of(FindWindowExW(dialog, nullptr, WC_STATICW, nullptr));
      SetWindowTextW(edit, L"typed");
      PostMessageW(FindWindowExW(dialog, nullptr, WC_BUTTONW, L"OK"), BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(ui.input_box(L"Server name:", L"Input Test", L"default"), L"typed");
  }
  EXPECT_EQ(shown_default, L"default");
  EXPECT_EQ(shown_prompt, L"Server name:");
  {
    TimerAction cancel(on_dialog(L"Pendrel", [](HWND dialog) {
      PostMessageW(FindWindowExW(dialog, nullptr, WC_BUTTONW, L"Cancel"), BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(ui.input_box(L"Server name:", L"", L"default"), L"");
  }
  HWND box_owner = nullptr;
  {
    TimerAction no(on_dialog(L"Box Test", [&](HWND box) {
      box_owner = GetWindow(box, GW_OWNER);
      PostMessageW(box, WM_COMMAND, IDNO, 0);
    }));
    EXPECT_EQ(ui.message_box(L"Send it?", msgbox_style::kYesNo | msgbox_style::kQuestion, L"Box Test"),
              msgbox_result::kNo);
  }
  EXPECT_EQ(box_owner, owner.window());

  // The screen pointer wins over the controls' own pointers.
  HWND label = owner.hwnd(L"Label1", 0);
  HWND check = owner.hwnd(L"chkActive");
  const LPARAM hit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  ui.set_mouse_pointer(mouse_pointer::kHourglass);
  EXPECT_EQ(ui.mouse_pointer(), 11);
  auto cursor_over = [&](HWND control) {
    SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), hit);
    return GetCursor();
  };
  EXPECT_EQ(cursor_over(check), LoadCursorW(nullptr, IDC_WAIT));
  EXPECT_EQ(cursor_over(label), LoadCursorW(nullptr, IDC_WAIT));
  ui.set_mouse_pointer(mouse_pointer::kDefault);
  EXPECT_EQ(cursor_over(label), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(cursor_over(check), LoadCursorW(nullptr, IDC_ARROW));

  // Activation by the user reaches the model.
  w.form.show();
  owner.log.clear();
  SetActiveWindow(owner.window());
  EXPECT_EQ(owner.log, std::vector<std::wstring>{L"Form_Activate"});
  EXPECT_EQ(Form::active_form(), &owner.form);
}

TEST(Renderer, Screenshot) {
  testing::ComApartment apartment;
  TestWindow w;
  w.form.show();
  w.get<Frame>(L"fraContainer", 0).zorder(0);
  w.get<TextBox>(L"txtData", 0).set_text(L"42");
  w.get<TextBox>(L"txtData", 1).set_text(L"A multi-line box\r\nwith a vertical scroll bar.");
  w.get<CheckBox>(L"chkActive").set_value(check_value::kChecked);
  w.get<ComboBox>(L"cmbTypes").set_list_index(1);
  w.get<Label>(L"Label1", 0).set_font_underline(true);
  pump();
  EXPECT_EQ(save_screenshot(w.window(), PENDREL_SCREENSHOTS L"\\renderer.png"), L"");
  EXPECT_EQ(testing::clipped_captions(w.window()), std::vector<std::wstring>{});
  // The check itself: a caption longer than its box is reported.
  w.get<CheckBox>(L"chkActive").set_caption(L"&Active in the management database");
  EXPECT_EQ(testing::clipped_captions(w.window()).size(), 1u);
  w.get<CheckBox>(L"chkActive").set_caption(L"&Active");
  EXPECT_EQ(testing::clipped_captions(w.window()), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace pendrel::win32::ui
