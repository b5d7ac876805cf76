// The demo: the demo computer's windows through real COM, as a console shows
// them. The reference host describes the computer from a fixture file; the
// three component classes are created by ProgID like any client does. Before
// any window shows, this machine is given what the applications tab reads on
// PC042: the product hive with the demo packages, the machine settings and the
// machine and hardware configuration files.
//
//   pendrel-demo <fixture> <connection string> [--screenshots <folder>]
//
// The connection string is the details window's management database.
// With --screenshots each window is shown in turn and saved as
// <folder>\<window>.png (the details window once its load has ended, one
// picture per tab: <folder>\frmComputerDetails-<tab>.png, the System tab
// once "&Version" has loaded the make and model, the Applications
// tab once its tree is loaded, the Work Groups tab once the groups are, the
// Status tab after a ping of the demo computer), and the program ends; without
// it the loaded details window is shown modally until the user closes it.
#include <objbase.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/dispatch.h"
#include "core/error.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/dispatch_client.h"
#include "platform/win32/ui/screenshot.h"
#include "product_hive.h"
#include "window_driver.h"

namespace {

using pendrel::DispatchPtr;
using pendrel::Variant;
using pendrel::win32::com_ptr;
using namespace pendrel::driver;

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

DispatchPtr create(const wchar_t* progid) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(progid, &clsid);
  com_ptr<IDispatch> object;
  if (SUCCEEDED(hr)) {
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  }
  if (FAILED(hr)) {
    throw pendrel::Error(hr, std::wstring(L"Cannot create ") + progid + L"; is it registered?");
  }
  return pendrel::win32::wrap_dispatch(object.get());
}

HWND hwnd_of(const DispatchPtr& window_class) {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(window_class->get(L"hwnd").to_long()));
}

void save_picture(HWND hwnd, const std::wstring& folder, const std::wstring& name) {
  const std::wstring file = folder + L"\\" + name + L".png";
  std::wstring failure = pendrel::win32::ui::save_screenshot(hwnd, file);
  if (!failure.empty()) throw pendrel::Error(5, L"Screenshot " + file + L": " + failure);
  std::wprintf(L"saved %ls\n", file.c_str());
}

void save(const DispatchPtr& window_class, const std::wstring& folder, const wchar_t* name) {
  window_class->call(L"Show");
  pump_for(1500);
  save_picture(hwnd_of(window_class), folder, name);
  window_class->call(L"Quit");
}

// This machine's Windows directory, as the details window reads it.
// What the applications tab finds on PC042, which this machine plays: the
// product hive in its Windows directory, and the product's machine settings
// pointing at configuration files that give PC042 a hardware profile and
// logical groups. The hive file is written afresh on every run.
void prepare_demo_computer(const std::wstring& computer) {
  namespace fx = pendrel::fixtures;
  const std::wstring windows = fx::WindowsDirectory();
  const std::wstring hive = windows + L"\\system32\\system.dbx";
  const std::vector<fx::ProductPackage> packages = fx::DemoPackages();
  fx::SaveProductHive(packages, hive);
  const std::wstring config = windows.substr(0, 2) + L"\\Quillmark\\Config";
  for (const std::wstring& folder : {config.substr(0, config.rfind(L'\\')), config}) {
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      throw pendrel::Error(static_cast<long>(GetLastError()), L"Cannot make the folder " + folder);
    }
  }
  fx::SetMachineSettings(L"QM\\", config);
  fx::WriteMachineConfig(config, computer, L"SalesDesk-P4", L"Sales,Front Desk,Printers",
                         {{L"CPUMAKE", L"Intel"},
                          {L"CPUMODEL", L"Pentium"},
                          {L"CPUSERIES", L"4"},
                          {L"NIC", L"3C905"},
                          {L"VideoDriver", L"ati2dvag"}});
  std::wprintf(L"product hive %ls: %zu packages; configuration files in %ls\n", hive.c_str(), packages.size(),
               config.c_str());
}

void select_item(HWND tree, HTREEITEM item, WPARAM how = TVGN_CARET) {
  SendMessageW(tree, TVM_SELECTITEM, how, reinterpret_cast<LPARAM>(item));
}

bool has_children(HWND tree, HTREEITEM item) { return tree_item(tree, TVGN_CHILD, item) != nullptr; }

bool is_marked(HWND tree, HTREEITEM item) { return node_of(tree, item).text.ends_with(L'*'); }

// Every node below `first` and its siblings, parents before their children.
void collect(HWND tree, HTREEITEM first, std::vector<HTREEITEM>& nodes) {
  for (HTREEITEM item = first; item; item = tree_item(tree, TVGN_NEXT, item)) {
    nodes.push_back(item);
    collect(tree, tree_item(tree, TVGN_CHILD, item), nodes);
  }
}

// The rows from a package's top folder (a child of the root) down to the
// package when only the folders on that way are open: one for each node on
// the way and one for each of their previous siblings.
int rows_below_top_folder(HWND tree, HTREEITEM package) {
  int rows = 0;
  for (HTREEITEM item = package; tree_item(tree, TVGN_PARENT, tree_item(tree, TVGN_PARENT, item));
       item = tree_item(tree, TVGN_PARENT, item)) {
    for (HTREEITEM row = item; row; row = tree_item(tree, TVGN_PREVIOUS, row)) ++rows;
  }
  return rows;
}

// The loaded tree has every folder open. For the picture the folders are
// closed with the keyboard, as a user would (so their images turn to the
// closed folder), deepest first, and then only the folders down to a package
// marked for re-install are opened again, the one nearest its top folder;
// that package is selected, the top folder's previous sibling first in view.
void show_marked_package(HWND tree) {
  std::vector<HTREEITEM> nodes;
  collect(tree, tree_item(tree, TVGN_CHILD, tree_item(tree, TVGN_ROOT)), nodes);
  HTREEITEM marked = nullptr;
  for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) {
    if (!has_children(tree, *it)) {
      const bool nearer = !marked || rows_below_top_folder(tree, *it) <= rows_below_top_folder(tree, marked);
      if (nearer && is_marked(tree, *it)) marked = *it;
      continue;
    }
    select_item(tree, *it);
    SendMessageW(tree, WM_KEYDOWN, VK_LEFT, 0);
  }
  if (!marked) return;
  std::vector<HTREEITEM> folders;
  for (HTREEITEM folder = tree_item(tree, TVGN_PARENT, marked); tree_item(tree, TVGN_PARENT, folder);
       folder = tree_item(tree, TVGN_PARENT, folder)) {
    folders.insert(folders.begin(), folder);
  }
  for (HTREEITEM folder : folders) {
    select_item(tree, folder);
    SendMessageW(tree, WM_KEYDOWN, VK_RIGHT, 0);
  }
  const HTREEITEM above = tree_item(tree, TVGN_PREVIOUS, folders.front());
  select_item(tree, above ? above : folders.front(), TVGN_FIRSTVISIBLE);
  select_item(tree, marked);
}

// A click on a label of the window, as the mouse gives it.
void click_label(HWND hwnd, const wchar_t* caption) {
  HWND label = descendant(hwnd, WC_STATICW, caption);
  if (!label) throw pendrel::Error(5, std::wstring(L"The details window has no label ") + caption);
  click(label);
}

// The Applications tab: "&Applications" loads the tree, which replaces the
// single "Double-Click to Load Apps" node (an empty tree where PC042's
// registry cannot be reached).
void load_applications(HWND hwnd, const std::wstring& caption) {
  HWND tree = descendant(hwnd, WC_TREEVIEWW);
  click_label(hwnd, L"&Applications");
  auto loaded = [&] { return text_of(hwnd) == caption && SendMessageW(tree, TVM_GETCOUNT, 0, 0) != 1; };
  if (!wait_for(loaded, 60000)) {
    throw pendrel::Error(5, L"The applications tree did not load");
  }
  if (SendMessageW(tree, TVM_GETCOUNT, 0, 0) == 0) {
    std::wprintf(L"the applications tree is empty: PC042's registry cannot be reached from here\n");
  }
  show_marked_package(tree);
}

// "&Version" on the System tab and "&Work Groups" on its own tab both load the
// groups list and the make and model (which stays empty where PC042's
// registry cannot be reached).
void load_work_groups(HWND hwnd, const std::wstring& caption, const wchar_t* label) {
  HWND groups_frame = GetParent(descendant(hwnd, WC_STATICW, L"&Work Groups"));
  HWND list = FindWindowExW(groups_frame, nullptr, WC_LISTVIEWW, nullptr);
  click_label(hwnd, label);
  auto loaded = [&] { return text_of(hwnd) == caption && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; };
  if (!wait_for(loaded, 60000)) {
    throw pendrel::Error(5, L"The groups of PC042 did not load");
  }
}

// The details window after its load: a picture of each tab, chosen with the
// mouse as a user would; the System tab once "&Version" has loaded the make
// and model, the Applications and Work Groups tabs once their labels have
// loaded them, the Status tab once a ping has got its three replies.
void save_details(const DispatchPtr& window_class, const std::wstring& caption, const std::wstring& folder) {
  window_class->call(L"Show");
  HWND hwnd = hwnd_of(window_class);
  if (!wait_for([&] { return IsWindowVisible(hwnd) && text_of(hwnd) == caption; }, 60000)) {
    throw pendrel::Error(5, L"The details window did not finish its load: its caption is \"" + text_of(hwnd) + L"\"");
  }
  HWND tabs = FindWindowExW(hwnd, nullptr, WC_TABCONTROLW, nullptr);
  const wchar_t* names[] = {L"System", L"Applications", L"WorkGroups", L"Users", L"Status"};
  for (int tab = 0; tab < 5; ++tab) {
    click_tab(tabs, tab);
    wait_for([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == tab; }, 5000);
    if (tab == 0) load_work_groups(hwnd, caption, L"&Version");
    if (tab == 1) load_applications(hwnd, caption);
    if (tab == 2) load_work_groups(hwnd, caption, L"&Work Groups");
    if (tab == 4) {
      post_click(descendant(hwnd, WC_BUTTONW, L"&Ping"));
      if (!wait_for([&] {
            const std::wstring results = text_of(descendant(hwnd, WC_STATICW, L"Pinging", true));
            size_t replies = 0;
            for (size_t at = results.find(L"Reply"); at != std::wstring::npos; at = results.find(L"Reply", at + 1)) {
              ++replies;
            }
            return replies == 3;
          }, 30000)) {
        throw pendrel::Error(5, L"The ping of the demo computer got no three replies");
      }
    }
    pump_for(500);
    save_picture(hwnd, folder, std::wstring(L"frmComputerDetails-") + names[tab]);
  }
  window_class->call(L"Quit");
}

int run(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: pendrel-demo <fixture> <connection string> [--screenshots <folder>]\n");
    return 2;
  }
  const std::wstring fixture = argv[1];
  const std::wstring database = argv[2];
  const std::wstring screenshots = argc >= 5 && std::wstring(argv[3]) == L"--screenshots" ? argv[4] : L"";

  prepare_demo_computer(L"PC042");
  ComApartment apartment;
  DispatchPtr domain = create(L"PendrelHost.DomainObject");
  domain->call(L"OpenFixture", {fixture});
  DispatchPtr computer = domain->call(L"GetComputer", {std::wstring(L"PC042")}).to_object();
  std::wprintf(L"%ls\\%ls from %ls\n", computer->get(L"Domain").to_text().c_str(),
               computer->get(L"Name").to_text().c_str(), fixture.c_str());

  const wchar_t* classes[][2] = {{L"Pendrel.UnavailableProperties", L"frmUnavailable"},
                                 {L"Pendrel.Properties", L"frmComputerDetails"},
                                 {L"Pendrel.LogonProperties", L"frmLogonProperty"}};
  const std::wstring caption = computer->get(L"Domain").to_text() + L"\\" + computer->get(L"Name").to_text();
  if (screenshots.empty()) {
    DispatchPtr details = create(L"Pendrel.Properties");
    details->let(L"Database", database);
    details->set(L"DomainObject", domain);
    details->set(L"Computer", computer);
    details->call(L"Show", {Variant(int16_t{1})});
    return 0;
  }
  for (const auto& [progid, window] : classes) {
    DispatchPtr window_class = create(progid);
    const bool details = std::wstring(progid) == L"Pendrel.Properties";
    if (details) window_class->let(L"Database", database);
    window_class->set(L"DomainObject", domain);
    window_class->set(L"Computer", computer);
    if (details) {
      save_details(window_class, caption, screenshots);
    } else {
      save(window_class, screenshots, window);
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return run(argc, argv);
  } catch (const pendrel::Error& e) {
    std::fwprintf(stderr, L"pendrel-demo: %ls (error %ld)\n", e.description().c_str(),
                  static_cast<long>(e.number()));
    return 1;
  }
}
