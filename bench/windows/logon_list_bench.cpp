// The logon window's first account list filled from a stored list of 1,000
// accounts of one domain, named through a scripted host, until the real list
// view has painted once; against an owner-data list view of the same rows in
// a plain window. Prints the median times, their ratio and how often each host
// collection was fetched per load (once is the goal).
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "component/environment.h"
#include "core/error.h"
#include "forms/list_view.h"
#include "logon/frm_logon_property.h"
#include "platform/win32/ui/renderer.h"
#include "support/accounts.h"

namespace pendrel {
namespace {

constexpr int kAccounts = 1000;
constexpr int kRepetitions = 15;

struct Row {
  std::wstring name;
  std::wstring description;
};

double now_ms() {
  static const double ticks_per_ms = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / ticks_per_ms;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void pump_messages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The list view among the window's descendants that holds `rows` rows.
HWND find_list_view(HWND window, int rows) {
  struct Search {
    int rows;
    HWND found;
  } search{rows, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) CALLBACK -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        wchar_t class_name[64] = {};
        GetClassNameW(child, class_name, 64);
        if (lstrcmpiW(class_name, WC_LISTVIEWW) != 0) return TRUE;
        if (SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) != s.rows) return TRUE;
        s.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct Fetches {
  int domain = 0;
  int groups = 0;
  int users = 0;
};

// (a) frmLogonProperty's LoadListView on its real ListView1(0).
// With `raising`, the host raises an error for each name a collection lacks
// (each account of the list misses both group collections first); without,
// it answers Nothing.
double bench_logon_window(const std::vector<Row>& rows, bool raising, Fetches& worst, Fetches& best,
                          double& load_ms) {
  win32::ui::Win32WindowSystem window_system;
  win32::ui::Win32UserInterface user_interface{L"Pendrel"};
  component::Environment env{window_system, user_interface, win32::ui::make_peer_factory()};

  fakes::FakeAccountHost host{std::make_shared<fakes::FakeDispatch>(L"Computer")};
  // Every stored value is empty: the window opens with empty lists.
  host.computer->on(L"GetRegistryValue").call([](std::span<Argument>) { return std::wstring(); });
  fakes::FakeDomain& sales = host.domain(L"SALES");
  sales.global_groups.stock_group(L"Domain Admins", L"Administrators of the domain");
  sales.local_groups.stock_group(L"Printers", L"Print operators");
  sales.global_groups.missing_gives_nothing = sales.local_groups.missing_gives_nothing = !raising;
  std::wstring data;
  for (int i = 0; i < kAccounts; ++i) {
    sales.users.stock_user(L"user" + std::to_wstring(i), rows[i].description);
    data += (i ? L";" : L"") + rows[i].name;
  }

  logon::FrmLogonProperty window(env);
  window.set_DomainObject(host.domain_object);
  window.form().load();
  window.set_Computer(host.computer);
  window.form().show(0);
  pump_messages();
  const HWND form = reinterpret_cast<HWND>(window.form().hwnd());
  forms::ListView& list = window.form().get<forms::ListView>(L"ListView1", 0);

  std::vector<double> times, loads;
  best = {1 << 30, 1 << 30, 1 << 30};
  worst = {};
  for (int r = 0; r < kRepetitions; ++r) {
    list.list_items().clear();
    sales.count = 0;
    sales.global_groups.loaded.clear();
    sales.local_groups.loaded.clear();
    sales.users.loaded.clear();
    host.log->clear();
    pump_messages();

    const double start = now_ms();
    window.LoadListView(list, data);
    loads.push_back(now_ms() - start);
    const HWND view = find_list_view(form, kAccounts);
    if (!view) {
      std::printf("the logon window's list view does not hold %d rows\n", kAccounts);
      return -1;
    }
    UpdateWindow(view);
    times.push_back(now_ms() - start);

    const Fetches f{host.count(L"call SALES.GetItems"), host.count(L"call SALES.GetGroups"),
                    host.count(L"call SALES.Users.GetItems")};
    worst = {std::max(worst.domain, f.domain), std::max(worst.groups, f.groups), std::max(worst.users, f.users)};
    best = {std::min(best.domain, f.domain), std::min(best.groups, f.groups), std::min(best.users, f.users)};
    pump_messages();
  }
  window.form().unload();
  load_ms = median(loads);
  return median(times);
}

LRESULT CALLBACK owner_data_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NOTIFY) {
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(lparam);
    if (info->hdr.code == LVN_GETDISPINFOW && (info->item.mask & LVIF_TEXT)) {
      const auto& rows = *reinterpret_cast<const std::vector<Row>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
      const Row& row = rows[info->item.iItem];
      const std::wstring& text = info->item.iSubItem == 0 ? row.name : row.description;
      lstrcpynW(info->item.pszText, text.c_str(), info->item.cchTextMax);
      return 0;
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// (b) An owner-data report list view of the same rows in a plain window.
double bench_owner_data(const std::vector<Row>& rows) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = owner_data_proc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"PendrelOwnerDataBench";
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassW(&window_class);
  const HWND window = CreateWindowExW(0, window_class.lpszClassName, L"Owner data", WS_OVERLAPPEDWINDOW, 0, 0,
                                      460, 380, nullptr, nullptr, window_class.hInstance, nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&rows));
  const HWND view = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                    WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 8, 8,
                                    425, 250, window, nullptr, window_class.hInstance, nullptr);
  const wchar_t* captions[] = {L"Name", L"Description"};
  const int widths[] = {157, 140};
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(captions[c]);
    column.cx = widths[c];
    column.iSubItem = c;
    SendMessageW(view, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  ShowWindow(window, SW_SHOWNORMAL);
  pump_messages();

  std::vector<double> times;
  for (int r = 0; r < kRepetitions; ++r) {
    SendMessageW(view, LVM_SETITEMCOUNT, 0, 0);
    pump_messages();
    const double start = now_ms();
    SendMessageW(view, LVM_SETITEMCOUNT, kAccounts, 0);
    InvalidateRect(view, nullptr, TRUE);
    UpdateWindow(view);
    times.push_back(now_ms() - start);
    if (SendMessageW(view, LVM_GETITEMCOUNT, 0, 0) != kAccounts) {
      std::printf("the owner-data list view does not hold %d rows\n", kAccounts);
      return -1;
    }
    pump_messages();
  }
  DestroyWindow(window);
  return median(times);
}

int run() {
  OleInitialize(nullptr);
  std::vector<Row> rows;
  for (int i = 0; i < kAccounts; ++i)
    rows.push_back({L"SALES\\user" + std::to_wstring(i), L"Full Name " + std::to_wstring(i)});

  Fetches worst, best, worst_quiet, best_quiet;
  double load_ms = 0, quiet_load_ms = 0;
  const double logon_ms = bench_logon_window(rows, true, worst, best, load_ms);
  const double quiet_ms = bench_logon_window(rows, false, worst_quiet, best_quiet, quiet_load_ms);
  const double owner_data_ms = bench_owner_data(rows);
  if (logon_ms < 0 || quiet_ms < 0 || owner_data_ms < 0) return 1;

  std::printf("%d accounts of one domain, %d repetitions, medians\n", kAccounts, kRepetitions);
  std::printf("frmLogonProperty LoadListView until painted: %10.3f ms\n", logon_ms);
  std::printf("  of which LoadListView itself:               %10.3f ms\n", load_ms);
  std::printf("  the same, host answering Nothing for names it lacks: %.3f ms (LoadListView %.3f ms)\n",
              quiet_ms, quiet_load_ms);
  std::printf("owner-data list view until painted:          %10.3f ms\n", owner_data_ms);
  std::printf("ratio: %.2fx (aim: at most 3x); host answering Nothing: %.2fx\n", logon_ms / owner_data_ms,
              quiet_ms / owner_data_ms);
  std::printf("fetches per load (min..max): SALES.GetItems %d..%d, SALES.GetGroups %d..%d, "
              "SALES.Users.GetItems %d..%d\n",
              best.domain, worst.domain, best.groups, worst.groups, best.users, worst.users);
  const bool once = best.domain == 1 && worst.domain == 1 && best.groups == 1 && worst.groups == 1 &&
                    best.users == 1 && worst.users == 1;
  std::printf("one fetch per collection: %s\n", once ? "yes" : "NO");
  OleUninitialize();
  return once ? 0 : 1;
}

}  // namespace
}  // namespace pendrel

int main() {
  try {
    return pendrel::run();
  } catch (const pendrel::Error& e) {
    std::printf("failed: %ls\n", e.description().c_str());
  } catch (const std::exception& e) {
    std::printf("failed: %s\n", e.what());
  }
  return 1;
}
