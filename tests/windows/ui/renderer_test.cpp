// The renderer under Wine: a form with every control kind is loaded through
// the peer factory and checked through the real controls' state and message
// traffic; keys are real messages taken from the queue by a plain loop, so the
// renderer's keyboard hook is exercised. What the three windows use of it in
// the common way (typing, tab and column clicks, row selection, Enter, Esc,
// frames that cover others): tests/windows/windows_e2e.
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
#include "forms/pictures.h"
#include "forms/tab_strip.h"
#include "forms/text_box.h"
#include "forms/tree_view.h"
#include "platform/win32/ui/form_window.h"
#include "platform/win32/ui/renderer.h"
#include "support.h"

namespace pendrel::win32::ui {
namespace {

using namespace forms;

using testing::class_of;
using testing::pump;
using testing::row_text;
using testing::text_of;
using testing::TimerAction;
using driver::node_of;
using driver::tree_item;

LONG style_of(HWND w) { return GetWindowLongW(w, GWL_STYLE); }

LOGFONTW font_of(HWND w) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font;
}

// "left,top widthxheight" in the parent's client coordinates.
std::wstring rect_of(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L"x" +
         std::to_wstring(r.bottom - r.top);
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
    f.on_load = [this] { log.push_back(L"Form_Load"); };
    f.on_activate = [this] { log.push_back(L"Form_Activate"); };
    f.on_query_unload = [this](int&, int mode) { log.push_back(L"Form_QueryUnload " + std::to_wstring(mode)); };
    f.on_mouse_move = [this] { log.push_back(L"Form_MouseMove"); };

    auto& tabs = f.add<TabStrip>(L"TabStrip1");
    tabs.move(60, 60, 7695, 3255);
    tabs.add_tab(L"&System");
    tabs.add_tab(L"&Lists");
    auto& system = f.add<Frame>(L"fraContainer", 0);
    system.move(180, 420, 7455, 2775);
    auto& lists = f.add<Frame>(L"fraContainer", 1);
    lists.move(180, 420, 7455, 2775);

    auto& label = f.add_to<Label>(system, L"Label1", 0);
    label.set_caption(L"&Name:");
    label.move(120, 240, 1000, 255);
    label.on_mouse_move = [this] { log.push_back(L"Label1_MouseMove 0"); };
    f.add_to<TextBox>(system, L"txtData", 0).move(1200, 200, 2400, 285);
    auto& active = f.add_to<CheckBox>(system, L"chkActive");
    active.set_caption(L"&Active");
    active.move(120, 600, 1035, 255);
    active.on_click = [this, &active] { log.push_back(L"chkActive_Click " + std::to_wstring(active.value())); };
    auto& types = f.add_to<ComboBox>(system, L"cmbTypes");
    types.set_style(combo_style::kDropdownList);
    types.move(1200, 600, 2400, 315);
    for (const wchar_t* type : {L"Workstation", L"Server", L"Domain Controller"}) types.add_item(type);
    auto& message = f.add_to<TextBox>(system, L"txtData", 1);
    message.set_multi_line(true);
    message.set_scroll_bars(2);
    message.move(120, 1080, 3480, 1455);
    for (int i = 0; i < 2; ++i) {
      auto& image = f.add_to<Image>(system, L"Image1", i);
      image.set_picture(i == 0 ? picture::kOnLine : picture::kOffLine);
      image.move(3840, 240, 480, 480);
    }

    auto& icons = f.add<ImageList>(L"ImageList1", 2);
    for (int p = 1; p <= 12; ++p) icons.add(p);
    auto& list = f.add_to<ListView>(lists, L"ListView1", 1);
    list.set_view(list_view_style::kReport);
    list.move(60, 240, 3600, 2415);
    list.column_headers().add(L"Name", 2350);
    list.column_headers().add(L"Description", 1440);
    list.set_small_icons(&icons);
    auto& tree = f.add_to<TreeView>(lists, L"tvwApps");
    tree.move(3720, 240, 3675, 2415);
    tree.set_image_list(&icons);
    tree.on_node_click = [this](Node& node) { log.push_back(L"tvwApps_NodeClick " + node.key()); };

    for (int i = 0; i < 2; ++i) {
      auto& button = f.add<CommandButton>(L"Command1", i);
      button.set_caption(i == 0 ? L"&OK" : L"&Cancel");
      button.move(i == 0 ? 5100 : 6480, 3420, 1275, 435);
      button.set_default(i == 0);
    }
  }
};

TEST(Renderer, BuildsEveryControlHiddenFromTheModel) {
  TestWindow w;
  w.form.load();
  HWND form = w.window();
  EXPECT_FALSE(IsWindowVisible(form));
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"Form_Load"});
  EXPECT_TRUE(GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(style_of(form) & (WS_THICKFRAME | WS_MAXIMIZEBOX));
  RECT client{};
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, 523);   // 7845 twips at 96 DPI
  EXPECT_EQ(client.bottom, 261);  // 3915 twips

  struct Expected {
    const wchar_t* name;
    int index;
    const wchar_t* cls;
    LONG mask, style;
  };
  constexpr LONG kMultiLine = ES_MULTILINE | WS_VSCROLL | ES_WANTRETURN;
  for (const Expected& e : std::initializer_list<Expected>{
           {L"fraContainer", 0, L"PendrelFrame", 0, 0},
           {L"Label1", 0, WC_STATICW, SS_NOPREFIX, 0},
           {L"txtData", 0, WC_EDITW, ES_MULTILINE, 0},
           {L"txtData", 1, WC_EDITW, kMultiLine, kMultiLine},
           {L"chkActive", kNoIndex, WC_BUTTONW, BS_TYPEMASK, BS_3STATE},
           {L"cmbTypes", kNoIndex, WC_COMBOBOXW, 3, CBS_DROPDOWNLIST},
           {L"Image1", 0, WC_STATICW, SS_TYPEMASK, SS_ICON},
           {L"Command1", 0, WC_BUTTONW, BS_TYPEMASK, BS_DEFPUSHBUTTON},
           {L"Command1", 1, WC_BUTTONW, BS_TYPEMASK, BS_PUSHBUTTON},
           {L"ListView1", 1, WC_LISTVIEWW, LVS_TYPEMASK, LVS_REPORT},
           {L"tvwApps", kNoIndex, WC_TREEVIEWW, TVS_HASLINES | TVS_HASBUTTONS, TVS_HASLINES | TVS_HASBUTTONS}}) {
    EXPECT_EQ(class_of(w.hwnd(e.name, e.index)), e.cls) << e.name;
    EXPECT_EQ(style_of(w.hwnd(e.name, e.index)) & e.mask, e.style) << e.name;
  }
  HWND tabs = w.hwnd(L"TabStrip1");
  HWND system = w.hwnd(L"fraContainer", 0);
  HWND list = w.hwnd(L"ListView1", 1);
  EXPECT_EQ(rect_of(tabs), L"4,4 513x217");
  EXPECT_EQ(rect_of(w.hwnd(L"txtData", 0)), L"80,13 160x19") << "placed in its frame";
  EXPECT_EQ(style_of(stacking(system).back()) & BS_TYPEMASK, BS_GROUPBOX) << "the group box lies under the frame's controls";
  EXPECT_TRUE(SendMessageW(w.hwnd(L"Image1", 0), STM_GETICON, 0, 0));
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 157);  // 2350 twips

  for (HWND control : {w.hwnd(L"Label1", 0), w.hwnd(L"txtData", 0), tabs, list}) {
    EXPECT_STREQ(font_of(control).lfFaceName, L"MS Sans Serif") << "the form's font, not the desktop's";
    EXPECT_EQ(font_of(control).lfHeight, -11) << "8 points at 96 DPI";
  }
  // Windows created later lie in front: buttons, then the frames, the strip at the back.
  const auto order = stacking(form);
  EXPECT_LT(place(order, w.hwnd(L"Command1", 1)), place(order, w.hwnd(L"fraContainer", 1)));
  EXPECT_LT(place(order, system), place(order, tabs));

  w.form.unload();
  EXPECT_FALSE(IsWindow(form));
}

TEST(Renderer, ModelChangesReachTheControls) {
  TestWindow w;
  w.form.load();
  auto& active = w.get<CheckBox>(L"chkActive");
  HWND check = w.hwnd(active);
  active.set_value(check_value::kGrayed);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  active.set_visible(false);
  EXPECT_FALSE(style_of(check) & WS_VISIBLE);
  active.move(300, 900, 1500, 300);
  EXPECT_EQ(rect_of(check), L"20,60 100x20");
  w.get<Label>(L"Label1", 0).set_font_underline(true);
  EXPECT_TRUE(font_of(w.hwnd(L"Label1", 0)).lfUnderline);

  auto& types = w.get<ComboBox>(L"cmbTypes");
  types.set_list_index(1);
  types.add_item(L"Cluster", 0);
  EXPECT_EQ(SendMessageW(w.hwnd(types), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(w.hwnd(types), CB_GETCURSEL, 0, 0), 2) << "an insertion keeps the selected item";

  // Windowless pictures restack among themselves.
  w.get<Image>(L"Image1", 1).zorder(0);
  const auto in_frame = stacking(w.hwnd(L"fraContainer", 0));
  EXPECT_LT(place(in_frame, w.hwnd(L"Image1", 1)), place(in_frame, w.hwnd(L"Image1", 0)));

  w.form.set_width(7845);
  RECT outer{};
  GetWindowRect(w.window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 523);

  w.get<CommandButton>(L"Command1", 1).set_default(true);
  EXPECT_EQ(style_of(w.hwnd(L"Command1", 1)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(style_of(w.hwnd(L"Command1", 0)) & BS_TYPEMASK, BS_PUSHBUTTON);

  // A change of look fixed at design builds the control again.
  auto& message = w.get<TextBox>(L"txtData", 1);
  message.set_text(L"kept");
  message.set_multi_line(false);
  HWND rebuilt = w.hwnd(message);
  EXPECT_FALSE(style_of(rebuilt) & ES_MULTILINE);
  EXPECT_EQ(text_of(rebuilt), L"kept");
  EXPECT_EQ(rect_of(rebuilt), L"8,72 232x97");
}

TEST(Renderer, UserActionsReachTheModel) {
  TestWindow w;
  w.form.show();
  pump();
  EXPECT_EQ(w.log, (std::vector<std::wstring>{L"Form_Load", L"Form_Activate"}));

  // A click the model refuses leaves the box as the model has it.
  auto& active = w.get<CheckBox>(L"chkActive");
  HWND check = w.hwnd(active);
  active.set_enabled(false);
  SendMessageW(GetParent(check), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(check), BN_CLICKED), reinterpret_cast<LPARAM>(check));
  EXPECT_EQ(active.value(), check_value::kUnchecked);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  active.set_enabled(true);

  HWND combo = w.hwnd(L"cmbTypes");
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(w.get<ComboBox>(L"cmbTypes").text(), L"Domain Controller");

  auto& tree = w.get<TreeView>(L"tvwApps");
  Node& root = tree.nodes().add(L"AppImage", L"AppImage");
  Node& word = tree.nodes().add(&root, Relationship::Child, L"AppImage\\Word", L"Word");
  HWND nodes = w.hwnd(tree);
  w.log.clear();
  SendMessageW(nodes, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(tree_item(nodes, TVGN_CHILD, tree_item(nodes, TVGN_ROOT))));
  EXPECT_TRUE(word.selected());
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"tvwApps_NodeClick AppImage\\Word"});
  // A folder the user opens with the keyboard is open in the model.
  root.set_expanded(false);
  SendMessageW(nodes, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(tree_item(nodes, TVGN_ROOT)));
  post_key(nodes, WM_KEYDOWN, VK_RIGHT);
  EXPECT_TRUE(root.expanded());

  // Tab and Shift+Tab in the model's tab order (which may leave a frame in
  // the middle), and access keys, through the hook.
  HWND edit = w.hwnd(L"txtData", 0);
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
  w.get<CommandButton>(L"Command1", 1).set_tab_index(w.get<TextBox>(L"txtData", 0).tab_index() + 1);
  post_key(edit, WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), w.hwnd(L"Command1", 1));
  w.log.clear();
  post_key(GetFocus(), WM_SYSCHAR, L'a');
  EXPECT_EQ(GetFocus(), check);
  post_key(check, WM_SYSCHAR, L'n');
  EXPECT_EQ(GetFocus(), edit) << "a label's access key focuses the next control";

  SendMessageW(w.hwnd(L"Label1", 0), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  SendMessageW(w.window(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(w.log, (std::vector<std::wstring>{L"chkActive_Click 1", L"Label1_MouseMove 0", L"Form_MouseMove"}));
  SetWindowPos(w.window(), nullptr, 30, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(w.form.left(), 450.0f);
  EXPECT_EQ(w.form.top(), 675.0f);

  w.log.clear();
  SendMessageW(w.window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"Form_QueryUnload 0"});
  EXPECT_FALSE(IsWindow(edit));
}

TEST(Renderer, ListsAndTreesFollowTheModelInOrder) {
  TestWindow w;
  w.form.load();
  auto& list = w.get<ListView>(L"ListView1", 1);
  auto& items = list.list_items();
  HWND rows = w.hwnd(list);
  {
    auto batch = list.begin_update();
    for (int i = 0; i < 1000; ++i) {
      const std::wstring key = L"row" + std::to_wstring(1000 + i);
      items.add(key, key, 0, i % 2 ? picture::kGlobalGroup : picture::kUser).set_sub_item(1, L"sub " + std::to_wstring(i));
    }
    EXPECT_EQ(SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), 0) << "nothing shown during the bulk load";
  }
  EXPECT_EQ(row_text(rows, 999), L"row1999");
  EXPECT_EQ(row_text(rows, 500, 1), L"sub 500");
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = 501;
  SendMessageW(rows, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, picture::kGlobalGroup - 1);

  items.add(L"first", L"first", 0, 0, 1);
  items.remove(L"row1001");
  EXPECT_EQ(row_text(rows, 0), L"first");
  EXPECT_EQ(row_text(rows, 2), L"row1002");
  // A renamed row moves to its sorted place; the selection stays on its row when rows before it go.
  list.set_sorted(true);
  items.item(L"row1500").set_text(L"a");
  EXPECT_EQ(row_text(rows, 0), L"a");
  items.item(L"row1900").set_selected(true);
  items.remove(L"row1100");
  EXPECT_EQ(row_text(rows, static_cast<int>(SendMessageW(rows, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))),
            L"row1900");
  auto& tree = w.get<TreeView>(L"tvwApps");
  HWND nodes = w.hwnd(tree);
  Node& root = tree.nodes().add(L"AppImage", L"AppImage", picture::kFolderOpen);
  root.set_sorted(true);
  for (const wchar_t* name : {L"Word", L"excel", L"Access"}) {
    tree.nodes().add(&root, Relationship::Child, std::wstring(L"AppImage\\") + name, name, picture::kPackage);
  }
  tree.nodes().add(&tree.nodes().add(L"second", L"second"), Relationship::Previous, L"first", L"first");
  const HTREEITEM top = tree_item(nodes, TVGN_ROOT);
  const auto children = [&](HTREEITEM parent) {
    std::vector<std::wstring> texts;
    for (HTREEITEM i = tree_item(nodes, parent ? TVGN_CHILD : TVGN_ROOT, parent); i; i = tree_item(nodes, TVGN_NEXT, i))
      texts.push_back(node_of(nodes, i).text);
    return texts;
  };
  EXPECT_EQ(children(nullptr), (std::vector<std::wstring>{L"AppImage", L"first", L"second"}));
  tree.nodes().item(L"AppImage\\Access").set_text(L"Project");
  EXPECT_EQ(children(top), (std::vector<std::wstring>{L"excel", L"Project", L"Word"}));
  EXPECT_EQ(node_of(nodes, top).image, picture::kFolderOpen);
  root.set_expanded(true);
  EXPECT_TRUE(SendMessageW(nodes, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED) & TVIS_EXPANDED);
  tree.nodes().item(L"second").set_selected(true);
  EXPECT_EQ(node_of(nodes, tree_item(nodes, TVGN_CARET)).text, L"second");
  tree.nodes().remove(L"AppImage");
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
    TimerAction quit([] { return PostQuitMessage(7), true; });
    w.form.show(1);
  }
  MSG quit{};
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
  w.form.hide();

  Win32UserInterface ui(L"Pendrel");
  std::wstring shown;
  {
    TimerAction type(testing::each_dialog([&](HWND dialog) {
      HWND edit = FindWindowExW(dialog, nullptr, WC_EDITW, nullptr);
      shown = text_of(dialog) + L"|" + text_of(FindWindowExW(dialog, nullptr, WC_STATICW, nullptr)) + L"|" +
              text_of(edit);
      SetWindowTextW(edit, L"typed");
      PostMessageW(FindWindowExW(dialog, nullptr, WC_BUTTONW, L"OK"), BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(ui.input_box(L"Server name:", L"Input Test", L"default"), L"typed");
  }
  EXPECT_EQ(shown, L"Input Test|Server name:|default");
  {
    TimerAction cancel(testing::each_dialog([&](HWND dialog) {
      shown = text_of(dialog);
      PostMessageW(FindWindowExW(dialog, nullptr, WC_BUTTONW, L"Cancel"), BM_CLICK, 0, 0);
    }));
    EXPECT_EQ(ui.input_box(L"Server name:", L"", L"default"), L"");
  }
  EXPECT_EQ(shown, L"Pendrel") << "an input box without a title has the component's";
  HWND box_owner = nullptr;
  {
    TimerAction no(testing::each_dialog([&](HWND box) {
      box_owner = GetWindow(box, GW_OWNER);
      shown = text_of(box);
      PostMessageW(box, WM_COMMAND, IDNO, 0);
    }));
    EXPECT_EQ(ui.message_box(L"Send it?", msgbox_style::kYesNo | msgbox_style::kQuestion, L"Box Test"),
              msgbox_result::kNo);
  }
  EXPECT_EQ(box_owner, owner.window());
  EXPECT_EQ(shown, L"Box Test");

  // Activation by the user reaches the model.
  w.form.show();
  owner.log.clear();
  SetActiveWindow(owner.window());
  EXPECT_EQ(owner.log, std::vector<std::wstring>{L"Form_Activate"});
  EXPECT_EQ(Form::active_form(), &owner.form);
}


}  // namespace
}  // namespace pendrel::win32::ui
