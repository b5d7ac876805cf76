// Works the details window of PC042 in another process the way a user would,
// with window messages only, and checks what it shows:
//   details_driver <report file>
// Waits for the load to end (the title "SALES\PC042"), then checks the System
// tab, clicks "&Remote Time:", clicks every tab, reads and sorts the Users
// list, pings, unchecks "&Logons Permitted" and cancels the settings window,
// opens "Lo&gon Alerts" and closes it with Esc, and clicks "&OK".
//   details_driver <report file> apps <computer>
// Works the details window of the computer that this machine plays (see
// apps_setup.cpp) instead: loads the applications tree with "&Applications"
// and reads it back, double-clicks two packages and reads their details
// boxes, loads the groups with "&Work Groups" and reads them and the make and
// model, and clicks "&OK".
// Every mismatch is a line "FAIL <what>: got [...] expected [...]" in the
// report (a script's console does not reach a program it starts); the last
// line is "details_driver: done, <n> failures". Exits 0 when nothing failed
// and the window was closed, 1 otherwise, 2 when the load never ended.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

// PC042, or the computer named on the command line.
std::wstring computer = L"PC042";
std::wstring loaded_title = L"SALES\\PC042";
constexpr wchar_t kUnavailableTitle[] = L"Unavailable Properties of PC042";
constexpr wchar_t kLogonTitle[] = L"Interactive Logon Properties of PC042";

std::unique_ptr<FILE, decltype(&std::fclose)> report(nullptr, &std::fclose);
int failures = 0;

std::string utf8(std::wstring_view text) {
  std::string out(static_cast<size_t>(text.size()) * 3, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                    static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

// Line ends of multi-line texts are shown as \r and \n, so that a report line
// stays one line.
std::string shown(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    out += c == L'\r' ? std::wstring(L"\\r") : c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, c);
  }
  return utf8(out);
}

void fail(std::string_view what, std::wstring_view got, std::wstring_view expected) {
  ++failures;
  std::fprintf(report.get(), "FAIL %s: got [%s] expected [%s]\n", std::string(what).c_str(), shown(got).c_str(),
               shown(expected).c_str());
  std::fflush(report.get());
}

void check(std::string_view what, std::wstring_view got, std::wstring_view expected) {
  if (got != expected) fail(what, got, expected);
}

std::wstring number(long long value) { return std::to_wstring(value); }

// Polls `done` every 50 ms for up to `timeout_ms`; returns whether it held.
template <class Done>
bool wait_for(Done done, DWORD timeout_ms = 5000) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  while (!done()) {
    if (GetTickCount64() >= until) return false;
    Sleep(50);
  }
  return true;
}

// Memory in the window's process for messages whose lParam points to data
// there (list views, tab and header controls are not marshalled).
class RemoteMemory {
 public:
  RemoteMemory(HWND window, size_t size) : process_(nullptr, &CloseHandle) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_) address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  explicit operator bool() const { return address_ != nullptr; }
  char* address() const { return static_cast<char*>(address_); }
  bool write(const void* data, size_t size, const void* at) const {
    return WriteProcessMemory(process_.get(), const_cast<void*>(at), data, size, nullptr);
  }
  bool read(void* data, size_t size, const void* at) const {
    return ReadProcessMemory(process_.get(), at, data, size, nullptr);
  }

 private:
  std::unique_ptr<void, decltype(&CloseHandle)> process_;
  void* address_ = nullptr;
};

// Sends a message whose lParam points to `data`, copied to the window's
// process first and read back with the answer.
template <class T>
bool send_remote(HWND window, UINT message, WPARAM wparam, T& data) {
  RemoteMemory remote(window, sizeof(T));
  return remote && remote.write(&data, sizeof data, remote.address()) &&
         SendMessageW(window, message, wparam, reinterpret_cast<LPARAM>(remote.address())) &&
         remote.read(&data, sizeof data, remote.address());
}

std::wstring text_of(HWND window) {
  if (!window) return L"<no window>";
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  text.resize(std::min<size_t>(copied, length));
  return text;
}

// A top-level window's title as the system keeps it: no message is sent, so
// it is read also while the window's thread is busy loading.
std::wstring title_of(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return title;
}

std::wstring class_of(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Every descendant of `root` of that class, and of that text when given.
std::vector<HWND> descendants(HWND root, const wchar_t* class_name, const wchar_t* text = nullptr) {
  struct Search {
    const wchar_t* class_name;
    const wchar_t* text;
    std::vector<HWND> found;
  } search{class_name, text, {}};
  EnumChildWindows(
      root,
      [](HWND child, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        if (lstrcmpiW(class_of(child).c_str(), s.class_name) == 0 && (!s.text || text_of(child) == s.text)) {
          s.found.push_back(child);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND descendant(HWND root, const wchar_t* class_name, const wchar_t* text = nullptr) {
  const std::vector<HWND> found = descendants(root, class_name, text);
  return found.empty() ? nullptr : found.front();
}

RECT window_rect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// The value labels on the row of a caption label, left to right.
std::vector<HWND> row_values(HWND caption) {
  const RECT at = window_rect(caption);
  std::vector<HWND> row;
  for (HWND label : descendants(GetParent(caption), WC_STATICW)) {
    const RECT r = window_rect(label);
    if (label != caption && GetParent(label) == GetParent(caption) && std::abs(r.top - at.top) <= 2 &&
        r.left > at.left) {
      row.push_back(label);
    }
  }
  std::sort(row.begin(), row.end(), [](HWND a, HWND b) { return window_rect(a).left < window_rect(b).left; });
  return row;
}

HWND visible_window(const wchar_t* title, DWORD timeout_ms) {
  HWND window = nullptr;
  wait_for([&] { return (window = FindWindowW(nullptr, title)) && IsWindowVisible(window); }, timeout_ms);
  return window && IsWindowVisible(window) ? window : nullptr;
}

// A mouse click in the middle of `part` (client coordinates of `window`).
void click_at(HWND window, const RECT& part) {
  const LPARAM at = MAKELPARAM((part.left + part.right) / 2, (part.top + part.bottom) / 2);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void click(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  click_at(window, client);
}

void press_key(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

// Clicks the button of a modal window's thread by a posted message: the click
// runs a nested message loop that must not hold the driver.
void post_click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::wstring checked_text(HWND box) {
  switch (SendMessageW(box, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return L"checked";
    case BST_UNCHECKED: return L"unchecked";
    default: return L"grayed";
  }
}

// ---- The window's parts.

struct Details {
  HWND window = nullptr;
  HWND tabs = nullptr;
  HWND frames[5] = {};  // by tab, System first
};

// The frames are found by what each holds; the one in front is the first of
// them in the window's z-order of children.
bool find_frames(Details& d) {
  d.tabs = descendant(d.window, WC_TABCONTROLW);
  HWND combo = descendant(d.window, WC_COMBOBOXW);
  HWND tree = descendant(d.window, WC_TREEVIEWW);
  HWND groups = descendant(d.window, WC_STATICW, L"&Work Groups");
  HWND ping = descendant(d.window, WC_BUTTONW, L"&Ping");
  d.frames[0] = combo ? GetParent(combo) : nullptr;
  d.frames[1] = tree ? GetParent(tree) : nullptr;
  d.frames[2] = groups ? GetParent(groups) : nullptr;
  d.frames[4] = ping ? GetParent(ping) : nullptr;
  for (HWND list : descendants(d.window, WC_LISTVIEWW)) {
    if (GetParent(list) != d.frames[2]) d.frames[3] = GetParent(list);
  }
  bool all = d.tabs != nullptr;
  for (HWND frame : d.frames) all = all && frame;
  if (!all) fail("tab strip and five frames", L"missing", L"found");
  return all;
}

int front_tab(const Details& d) {
  for (HWND child = GetWindow(d.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    for (int tab = 0; tab < 5; ++tab) {
      if (child == d.frames[tab]) return tab + 1;
    }
  }
  return 0;
}

void check_system_tab(HWND system) {
  auto value = [&](const wchar_t* caption, size_t position) -> HWND {
    HWND label = descendant(system, WC_STATICW, caption);
    const std::vector<HWND> row = label ? row_values(label) : std::vector<HWND>{};
    return position < row.size() ? row[position] : nullptr;
  };
  check("IP address", text_of(value(L"&IP", 0)), L"127.0.0.1");
  check("full name", text_of(value(L"&IP", 1)), L"PC042");
  check("MAC address", text_of(value(L"&IP", 2)), L"00-1A-2B-3C-4D-5E");
  check("operating system", text_of(value(L"&OS", 0)), L"NT 5.1");
  check("description", text_of(value(L"&Description:", 0)), L"Sales floor PC (front desk)");
  check("remote time", text_of(value(L"&Remote Time:", 0)), L"Sat Mar 14 09:26:53 2026");

  HWND types = descendant(system, WC_COMBOBOXW);
  static constexpr const wchar_t* kTypes[] = {L"All LAN Manager workstations", L"All LAN Manager servers",
                                              L"Windows NT (either Workstation or Server)"};
  const LRESULT count = SendMessageW(types, CB_GETCOUNT, 0, 0);
  check("server types count", number(count), number(std::size(kTypes)));
  for (int i = 0; i < static_cast<int>(std::size(kTypes)) && i < count; ++i) {
    // Combo box texts are marshalled between processes.
    std::wstring text(static_cast<size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    check("server type " + std::to_string(i), text, kTypes[i]);
  }
  check("selected server type", number(SendMessageW(types, CB_GETCURSEL, 0, 0)), L"0");
}

// The zone text the console's own zone gives local times: " (<name>)", or
// " (Time Zone Unknown!)" for a zone without daylight saving.
std::wstring local_zone_suffix(TIME_ZONE_INFORMATION& zone) {
  auto name = [](const wchar_t (&field)[32]) {
    const size_t n = wcsnlen(field, 32);
    std::wstring text(field, n);
    if (n == 32) {
      text.erase(0, text.find_first_not_of(L' '));
      text.erase(text.find_last_not_of(L' ') + 1);
    }
    return text;
  };
  switch (GetTimeZoneInformation(&zone)) {
    case TIME_ZONE_ID_UNKNOWN: return L" (Time Zone Unknown!)";
    case TIME_ZONE_ID_STANDARD: return L" (" + name(zone.StandardName) + L")";
    case TIME_ZONE_ID_DAYLIGHT: return L" (" + name(zone.DaylightName) + L")";
    default: return L"";
  }
}

// PC042 reports bias 300: the console's own zone name when that is its bias
// too, else the offset in hours.
void check_remote_time_zone(const Details& d) {
  TIME_ZONE_INFORMATION zone{};
  const std::wstring suffix = local_zone_suffix(zone);
  HWND system = d.frames[0];
  HWND local_caption = descendant(system, WC_STATICW, L"&Current Time:");
  const std::vector<HWND> local_row = local_caption ? row_values(local_caption) : std::vector<HWND>{};
  const std::wstring local_time = local_row.empty() ? L"<no label>" : text_of(local_row[0]);
  if (local_time.size() < suffix.size() ||
      local_time.compare(local_time.size() - suffix.size(), suffix.size(), suffix) != 0) {
    fail("local time zone suffix", local_time, L"<time>" + suffix);
  }

  HWND caption = descendant(system, WC_STATICW, L"&Remote Time:");
  const std::vector<HWND> row = caption ? row_values(caption) : std::vector<HWND>{};
  if (row.empty()) return fail("remote time label", L"missing", L"found");
  const std::wstring before = text_of(row[0]);
  const std::wstring expected = before + (zone.Bias == 300 ? suffix : std::wstring(L" TZ -> (GMT-05:00)"));
  click(caption);
  wait_for([&] { return text_of(row[0]) != before && title_of(d.window) == loaded_title; });
  check("remote time with zone", text_of(row[0]), expected);
  check("title after the zone", title_of(d.window), loaded_title);
}

// Clicks a tab (1-based) and checks that its frame came to the front.
void select_tab(const Details& d, int tab) {
  RECT rect{};
  if (!send_remote(d.tabs, TCM_GETITEMRECT, static_cast<WPARAM>(tab - 1), rect)) {
    return fail("tab rectangle " + std::to_string(tab), L"none", L"a rectangle");
  }
  click_at(d.tabs, rect);
  wait_for([&] { return front_tab(d) == tab; });
  check("frame in front after tab " + std::to_string(tab), number(front_tab(d)), number(tab));
}

std::wstring list_text(HWND list, int row, int column) {
  struct Request {
    LVITEMW item;
    wchar_t text[260];
  };
  RemoteMemory remote(list, sizeof(Request));
  if (!remote) return L"<no memory>";
  Request request{};
  request.item.iSubItem = column;
  request.item.cchTextMax = 260;
  request.item.pszText = reinterpret_cast<wchar_t*>(remote.address() + offsetof(Request, text));
  if (!remote.write(&request, sizeof request, remote.address())) return L"<not written>";
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()));
  if (!remote.read(&request, sizeof request, remote.address())) return L"<not read>";
  // The owner may answer with a pointer to its own text instead of the buffer.
  wchar_t text[260] = {};
  if (!remote.read(text, sizeof text - sizeof(wchar_t), request.item.pszText)) return L"<not read>";
  return text;
}

std::wstring row_text(HWND list, int row) {
  return list_text(list, row, 0) + L" | " + list_text(list, row, 1) + L" | " + list_text(list, row, 2);
}

void check_rows(std::string_view what, HWND list, const std::vector<std::wstring>& rows) {
  check(std::string(what) + " row count", number(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)), number(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) {
    check(std::string(what) + " row " + std::to_string(i), row_text(list, static_cast<int>(i)), rows[i]);
  }
}

// The assigned users of PC042 in the management database, both logged on;
// SALES\jdoe is the console user.
void check_users(const Details& d) {
  select_tab(d, 4);
  HWND list = descendant(d.frames[3], WC_LISTVIEWW);
  HWND header = list ? reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)) : nullptr;
  if (!header) return fail("users list", L"missing", L"found");
  const std::wstring jdoe = L"Interactive | SALES\\jdoe | John Doe (4711) - Front desk";
  const std::wstring asmith = L"Logon Session | SALES\\asmith | Anna Smith";
  RECT name_column{};
  if (!send_remote(header, HDM_GETITEMRECT, 1, name_column)) return fail("Name column", L"none", L"a rectangle");
  click_at(header, name_column);
  wait_for([&] { return row_text(list, 0) == asmith; });
  check_rows("users by name ascending", list, {asmith, jdoe});
  click_at(header, name_column);
  wait_for([&] { return row_text(list, 0) == jdoe; });
  check_rows("users by name descending", list, {jdoe, asmith});
}

// Three echo replies from loopback after the header and an empty line.
void check_ping(const Details& d) {
  select_tab(d, 5);
  HWND ping = descendant(d.frames[4], WC_BUTTONW, L"&Ping");
  HWND results = descendant(d.frames[4], WC_STATICW);
  if (!ping || !results) return fail("ping button and results", L"missing", L"found");
  post_click(ping);
  const std::wstring header = L"Pinging PC042 with 3 packets of data:\r\n\r\n";
  const std::wstring reply = L"Reply from 127.0.0.1: time=";
  auto replies = [&](const std::wstring& text) {
    size_t count = 0;
    for (size_t at = text.find(reply); at != std::wstring::npos; at = text.find(reply, at + 1)) ++count;
    return count;
  };
  wait_for([&] { return replies(text_of(results)) >= 3; }, 15000);
  const std::wstring text = text_of(results);
  const std::wstring pattern = header + reply + L"<ms>ms\r\n" + reply + L"<ms>ms\r\n" + reply + L"<ms>ms\r\n";
  size_t at = header.size();
  bool matches = text.compare(0, header.size(), header) == 0;
  for (int n = 0; n < 3 && matches; ++n) {
    matches = text.compare(at, reply.size(), reply) == 0;
    at += reply.size();
    const size_t digits = text.find_first_not_of(L"0123456789", at);
    matches = matches && digits != at && digits != std::wstring::npos && text.compare(digits, 4, L"ms\r\n") == 0;
    at = digits + 4;
  }
  if (!matches || at != text.size()) fail("ping results", text, pattern);
}

// Unchecking the box opens the settings window; cancelled, the box is checked
// again.
void check_logons_permitted(const Details& d) {
  HWND box = descendant(d.frames[4], WC_BUTTONW, L"&Logons Permitted");
  if (!box) return fail("&Logons Permitted", L"missing", L"found");
  check("&Logons Permitted after the load", checked_text(box), L"checked");
  post_click(box);
  HWND settings = visible_window(kUnavailableTitle, 10000);
  if (!settings) return fail("settings window", L"none", kUnavailableTitle);
  HWND cancel = descendant(settings, WC_BUTTONW, L"&Cancel");
  if (!cancel) return fail("settings window &Cancel", L"missing", L"found");
  post_click(cancel);
  if (!wait_for([&] { return !IsWindow(settings) || !IsWindowVisible(settings); })) {
    return fail("settings window after &Cancel", L"open", L"closed");
  }
  wait_for([&] { return checked_text(box) == L"checked"; });
  check("&Logons Permitted after cancel", checked_text(box), L"checked");
}

// Esc goes to the control that has the focus once the logon window is active.
void check_logon_alerts(const Details& d) {
  HWND alerts = descendant(d.frames[4], WC_BUTTONW, L"Lo&gon Alerts");
  if (!alerts) return fail("Lo&gon Alerts", L"missing", L"found");
  post_click(alerts);
  HWND logon = visible_window(kLogonTitle, 10000);
  if (!logon) return fail("logon window", L"none", kLogonTitle);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  auto focus_inside = [&] {
    return GetGUIThreadInfo(GetWindowThreadProcessId(logon, nullptr), &info) && info.hwndFocus &&
           (info.hwndFocus == logon || IsChild(logon, info.hwndFocus));
  };
  press_key(wait_for(focus_inside) ? info.hwndFocus : logon, VK_ESCAPE);
  if (!wait_for([&] { return !IsWindow(logon) || !IsWindowVisible(logon); }, 10000)) {
    fail("logon window after Esc", L"open", L"closed");
  }
}

// A box the window shows (a failure during the load, the connection prompt)
// is reported with its text and answered with its first button.
void answer_boxes(DWORD pid) {
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != static_cast<DWORD>(param) || !IsWindowVisible(window) || class_of(window) != L"#32770") {
          return TRUE;
        }
        std::wstring text = title_of(window);
        for (HWND label : descendants(window, WC_STATICW)) text += L" / " + text_of(label);
        fail("box shown", text, L"no box");
        if (HWND button = descendant(window, WC_BUTTONW)) post_click(button);
        return TRUE;
      },
      static_cast<LPARAM>(pid));
}

// The details window: the one whose title names the computer (during the load
// "PC042 ..." or "SALES\PC042 -> ...").
HWND details_window() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        if (!IsWindowVisible(window) || title_of(window).find(computer) == std::wstring::npos ||
            class_of(window) == L"#32770") {
          return TRUE;
        }
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

bool wait_loaded(Details& d) {
  const bool loaded = wait_for(
      [&] {
        d.window = details_window();
        if (!d.window) return false;
        DWORD pid = 0;
        GetWindowThreadProcessId(d.window, &pid);
        answer_boxes(pid);
        return title_of(d.window) == loaded_title;
      },
      60000);
  if (!loaded) fail("title at the load's end", d.window ? title_of(d.window) : L"<no window>", loaded_title);
  return loaded;
}

bool close_with_ok(const Details& d) {
  HWND ok = FindWindowExW(d.window, nullptr, WC_BUTTONW, L"&OK");
  if (!ok) {
    fail("&OK", L"missing", L"found");
    return false;
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &answer);
  const bool closed = wait_for([&] { return !IsWindow(d.window) || !IsWindowVisible(d.window); }, 10000);
  if (!closed) fail("details window after &OK", L"open", L"closed");
  return closed;
}

// ---- The applications and work groups tabs.

HTREEITEM tree_item(HWND tree, UINT relation, HTREEITEM from = nullptr) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

struct Shown {
  std::wstring text;
  int image = 0;  // numbered from 1 as in the window's image list; 0 for none
};

// A node as the tree control holds it.
Shown node_of(HWND tree, HTREEITEM item) {
  struct Request {
    TVITEMW item;
    wchar_t text[260];
  };
  RemoteMemory remote(tree, sizeof(Request));
  Request request{};
  request.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_HANDLE;
  request.item.hItem = item;
  request.item.cchTextMax = 260;
  request.item.pszText = reinterpret_cast<wchar_t*>(remote.address() + offsetof(Request, text));
  if (!remote || !remote.write(&request, sizeof request, remote.address()) ||
      !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.address())) ||
      !remote.read(&request, sizeof request, remote.address())) {
    return {L"<not read>"};
  }
  return {request.text, request.item.iImage >= 0 ? request.item.iImage + 1 : 0};
}

// "<text> [<image>]", indented two spaces a level.
std::wstring node_line(HWND tree, HTREEITEM item, int depth) {
  const Shown node = node_of(tree, item);
  return std::wstring(2 * static_cast<size_t>(depth), L' ') + node.text + L" [" + number(node.image) + L"]";
}

// Every node in the order shown, children after their parent.
void tree_lines(HWND tree, HTREEITEM first, int depth, std::vector<std::wstring>& lines) {
  for (HTREEITEM item = first; item; item = tree_item(tree, TVGN_NEXT, item)) {
    lines.push_back(node_line(tree, item, depth));
    tree_lines(tree, tree_item(tree, TVGN_CHILD, item), depth + 1, lines);
  }
}

HTREEITEM find_node(HWND tree, const std::vector<std::wstring>& path) {
  HTREEITEM item = tree_item(tree, TVGN_ROOT);
  for (size_t level = 0; item && level < path.size(); ++level) {
    while (item && node_of(tree, item).text != path[level]) {
      item = tree_item(tree, TVGN_NEXT, item);
    }
    if (item && level + 1 < path.size()) item = tree_item(tree, TVGN_CHILD, item);
  }
  return item;
}

// The box the window shows, once visible, with its title and message.
HWND wait_for_box(DWORD pid) {
  HWND found = nullptr;
  wait_for([&] {
    for (HWND w = GetTopWindow(nullptr); w && !found; w = GetWindow(w, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid && IsWindowVisible(w) && class_of(w) == L"#32770") found = w;
    }
    return found != nullptr;
  });
  return found;
}

std::wstring box_message(HWND box) {
  for (HWND label : descendants(box, WC_STATICW)) {
    if (!text_of(label).empty()) return text_of(label);
  }
  return L"<no message>";
}

// A double-click on a package's node (selected first, as the first click of
// a user's double-click selects it) shows its record; OK closes the box.
void check_package_details(HWND tree, const std::vector<std::wstring>& path, const std::wstring& title,
                           const std::wstring& message) {
  const HTREEITEM item = find_node(tree, path);
  if (!item) return fail("package node " + utf8(path.back()), L"missing", L"found");
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  RECT rect{};
  std::memcpy(&rect, &item, sizeof item);
  if (!send_remote(tree, TVM_GETITEMRECT, TRUE, rect)) return fail("package rectangle", L"none", L"a rectangle");
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
    PostMessageW(tree, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(tree, &pid);
  HWND box = wait_for_box(pid);
  if (!box) return fail("details box of " + utf8(path.back()), L"none", title);
  check("details box title of " + utf8(path.back()), title_of(box), title);
  check("details box text of " + utf8(path.back()), box_message(box), message);
  post_click(descendant(box, WC_BUTTONW, L"OK"));
  if (!wait_for([&] { return !IsWindow(box) || !IsWindowVisible(box); })) {
    fail("details box after OK", L"open", L"closed");
  }
}

// The product hive, mounted as the key QM of this machine's registry, which
// the window reaches as the registry of the computer it shows.
bool qm_mounted() {
  HKEY opened = nullptr;
  const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"QM\\LastRun\\APPIMAGE", 0, KEY_READ, &opened);
  const std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&RegCloseKey)> key(opened, &RegCloseKey);
  return status == ERROR_SUCCESS;
}

// The product hive's three packages, every folder open after the load (sorted
// by the control); the marked package with "*" and image 4.
void check_applications(const Details& d) {
  select_tab(d, 2);
  HWND tree = descendant(d.frames[1], WC_TREEVIEWW);
  check("tree before the load", node_line(tree, tree_item(tree, TVGN_ROOT), 0), L"Double-Click to Load Apps [1]");
  click(descendant(d.frames[1], WC_STATICW, L"&Applications"));
  wait_for([&] { return title_of(d.window) == loaded_title && SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 1; }, 30000);
  check("title after the applications", title_of(d.window), loaded_title);
  check("product hive while the window is open", qm_mounted() ? L"mounted" : L"not mounted", L"mounted");
  std::vector<std::wstring> lines;
  tree_lines(tree, tree_item(tree, TVGN_ROOT), 0, lines);
  std::wstring shown_tree;
  for (const std::wstring& line : lines) shown_tree += line + L"\n";
  check("tree", shown_tree,
        L"AppImage [2]\n  Office [2]\n    MachInst [2]\n      NT4 [2]\n        Excel97* [4]\n"
        L"      Word97 [3]\n  Utilities [2]\n    MachInst [2]\n      WinZip [3]\n");

  const std::wstring title = L"Application/Package Details";
  check_package_details(tree, {L"AppImage", L"Office", L"MachInst", L"Word97"}, title,
                        L"Package:\t\tMicrosoft Word 97 (v. 8.0)\r\n\r\nInstall Date:\t1999-03-02\r\n"
                        L"Package Date:\t1998-11-20\r\nBy File:\t\tAppImage\\Office\\MachInst\\Word97");
  check_package_details(tree, {L"AppImage", L"Office", L"MachInst", L"NT4", L"Excel97*"},
                        title + L" (Marked for Re-Install)",
                        L"Package:\t\tMicrosoft Excel 97 (v. 8.0a)\r\n\r\nInstall Date:\t1999-03-03\r\n"
                        L"Package Date:\t1998-12-01\r\nBy File:\t\tAppImage\\Office\\MachInst\\NT4\\Excel97");
  check_package_details(tree, {L"AppImage", L"Utilities", L"MachInst", L"WinZip"}, title,
                        L"Package:\t\tWinZip\r\n\r\nInstall Date:\t2000-01-10\r\n"
                        L"Package Date:\t1999-10-05\r\nBy File:\t\tAppImage\\Utilities\\MachInst\\WinZip");
}

// The host's groups of the computer (the demo fixture's PC042 ones), then the
// logical groups "Sales Workstations,,Lab, Lab": the one named like a global
// group takes its row, " Lab" is a name of its own.
void check_work_groups(const Details& d) {
  select_tab(d, 3);
  HWND list = descendant(d.frames[2], WC_LISTVIEWW);
  click(descendant(d.frames[2], WC_STATICW, L"&Work Groups"));
  wait_for([&] { return title_of(d.window) == loaded_title && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; }, 30000);
  check_rows("groups", list,
             {L"Global | Domain Computers | All workstations and servers joined to the domain",
              L"Vyx | Sales Workstations | QM Logical Computer Group",
              L"Local | Administrators | Members can fully administer the computer",
              L"Local | Users | Ordinary users", L"Local | Backup Operators | N/A",
              L"Vyx | Lab | QM Logical Computer Group", L"Vyx |  Lab | QM Logical Computer Group"});
  HWND version = descendant(d.frames[0], WC_STATICW, L"&Version");
  const std::vector<HWND> row = version ? row_values(version) : std::vector<HWND>{};
  check("make and model", row.empty() ? L"<no label>" : text_of(row[0]), L"Intel Pentium III (NIC=3C905,Video=ati)");
}

}  // namespace

int main(int argc, char** argv) {
  report.reset(argc > 1 ? std::fopen(argv[1], "w") : nullptr);
  if (!report) return 3;
  const bool apps = argc > 3 && std::string_view(argv[2]) == "apps";
  if (apps) {
    computer = std::wstring(argv[3], argv[3] + std::strlen(argv[3]));
    loaded_title = L"SALES\\" + computer;
  }
  Details d;
  int code = 2;
  if (wait_loaded(d)) {
    if (apps && find_frames(d)) {
      check_applications(d);
      check_work_groups(d);
    } else if (find_frames(d)) {
      check("frame in front after the load", number(front_tab(d)), L"1");
      check_system_tab(d.frames[0]);
      HWND online = FindWindowExW(d.window, nullptr, WC_BUTTONW, L"&On-Line!");
      HWND active = FindWindowExW(d.window, nullptr, WC_BUTTONW, L"&Active");
      HWND wake = descendant(d.frames[4], WC_BUTTONW, L"&Wake Up");
      check("&On-Line!", online ? checked_text(online) : L"missing", L"checked");
      check("&Active", active ? checked_text(active) : L"missing", L"checked");
      check("&Wake Up", !wake ? L"missing" : IsWindowEnabled(wake) ? L"enabled" : L"disabled", L"disabled");
      check_remote_time_zone(d);
      for (int tab : {2, 3, 1}) select_tab(d, tab);
      check_users(d);
      check_ping(d);
      check_logons_permitted(d);
      check_logon_alerts(d);
    }
    code = close_with_ok(d) && failures == 0 ? 0 : 1;
  } else if (d.window) {
    close_with_ok(d);
  }
  std::fprintf(report.get(), "details_driver: done, %d failures\n", failures);
  return code;
}
