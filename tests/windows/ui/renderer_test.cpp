// The renderer under Wine: a form with every control kind is loaded through
// the peer factory and checked through the real controls' state and message
// traffic; keys are real messages taken from the queue by a plain loop, so the
// renderer's keyboard hook is exercised. What the three windows use of it in
// the common way (typing, tab and column clicks, row selection, Enter, Esc,
// frames that cover others): tests/windows/windows_e2e.
#include <string>
#include <utility>
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

using testing::pump;
using testing::text_of;
using testing::TimerAction;
using driver::list_text;
using driver::node_of;
using driver::tree_item;

LOGFONTW font_of(HWND w) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font;
}

void post_key(HWND target, UINT message, WPARAM key) {
  PostMessageW(target, message, key, message == WM_SYSCHAR ? 0x20000000 : 0);
  pump();
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
    f.on_load = [this] { log.push_back(L"Form_Load"); };
    f.on_activate = [this] { log.push_back(L"Form_Activate"); };
    f.on_query_unload = [this](int&, int mode) { log.push_back(L"Form_QueryUnload " + std::to_wstring(mode)); };

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
    f.add_to<TextBox>(system, L"txtData", 0).move(1200, 200, 2400, 285);
    auto& active = f.add_to<CheckBox>(system, L"chkActive");
    active.set_caption(L"&Active");
    active.move(120, 600, 1035, 255);
    active.on_click = [this, &active] { log.push_back(L"chkActive_Click " + std::to_wstring(active.value())); };

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

// What the native suite cannot show: the real window, its size in pixels, the
// font its controls draw with and the state a real check box shows.
TEST(Renderer, BuildsTheFormHiddenAndShowsTheModel) {
  TestWindow w;
  w.form.load();
  HWND form = w.window();
  EXPECT_FALSE(IsWindowVisible(form));
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"Form_Load"});
  RECT client{};
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, 523);   // 7845 twips at 96 DPI
  EXPECT_EQ(client.bottom, 261);  // 3915 twips
  for (HWND control : {w.hwnd(L"Label1", 0), w.hwnd(L"txtData", 0), w.hwnd(L"TabStrip1")}) {
    EXPECT_STREQ(font_of(control).lfFaceName, L"MS Sans Serif") << "the form's font, not the desktop's";
    EXPECT_EQ(font_of(control).lfHeight, -11) << "8 points at 96 DPI";
  }
  auto& active = w.get<CheckBox>(L"chkActive");
  for (auto [value, shown] : {std::pair{check_value::kGrayed, BST_INDETERMINATE}, {check_value::kChecked, BST_CHECKED}}) {
    active.set_value(value);
    EXPECT_EQ(SendMessageW(w.hwnd(active), BM_GETCHECK, 0, 0), shown);
  }
  w.form.unload();
  EXPECT_FALSE(IsWindow(form));
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
  EXPECT_EQ(w.log, std::vector<std::wstring>{L"chkActive_Click 1"});


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
  EXPECT_EQ(list_text(rows, 999, 0), L"row1999");
  EXPECT_EQ(list_text(rows, 500, 1), L"sub 500");
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = 501;
  SendMessageW(rows, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.iImage, picture::kGlobalGroup - 1);

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
  EXPECT_EQ(children(top), (std::vector<std::wstring>{L"Access", L"excel", L"Word"}));
  EXPECT_EQ(node_of(nodes, top).image, picture::kFolderOpen);
  root.set_expanded(true);
  EXPECT_TRUE(SendMessageW(nodes, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED) & TVIS_EXPANDED);
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
}

}  // namespace
}  // namespace pendrel::win32::ui
