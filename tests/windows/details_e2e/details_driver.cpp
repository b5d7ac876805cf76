// Works the details window of PC042 in another process the way a user would,
// with window messages only, and checks what it shows:
//   details_driver <report file>
// Waits for the load to end (the title "SALES\PC042"), then checks the System
// tab, clicks every tab, reads and sorts the Users list, opens "Lo&gon Alerts"
// and closes it with Esc, and clicks "&OK".
// Every mismatch is a line "FAIL <what>: got [...] expected [...]" in the
// report (a script's console does not reach a program it starts); the last
// line is "details_driver: done, <n> failures". Exits 0 when nothing failed
// and the window was closed, 1 otherwise, 2 when the load never ended.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "window_driver.h"

namespace {

using namespace pendrel::driver;

constexpr wchar_t kComputer[] = L"PC042";
constexpr wchar_t kLoadedTitle[] = L"SALES\\PC042";

std::unique_ptr<FILE, decltype(&std::fclose)> report(nullptr, &std::fclose);
int failures = 0;

// UTF-8, line ends shown as \r and \n so that a report line stays one line.
std::string shown(std::wstring_view text) {
  std::wstring escaped;
  for (wchar_t c : text) escaped += c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : std::wstring(1, c);
  std::string out(escaped.size() * 3, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, escaped.data(), static_cast<int>(escaped.size()), out.data(),
                                    static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

void fail(std::string_view what, std::wstring_view got, std::wstring_view expected) {
  ++failures;
  std::fprintf(report.get(), "FAIL %s: got [%s] expected [%s]\n", std::string(what).c_str(), shown(got).c_str(),
               shown(expected).c_str());
  std::fflush(report.get());
}

bool check(std::string_view what, std::wstring_view got, std::wstring_view expected) {
  if (got != expected) fail(what, got, expected);
  return got == expected;
}

std::wstring number(long long value) { return std::to_wstring(value); }

// The text of the value label at `position` on the row of a caption.
std::wstring value_of(HWND frame, const wchar_t* caption, size_t position = 0) {
  const std::vector<HWND> row = row_values(descendant(frame, WC_STATICW, caption));
  return position < row.size() ? text_of(row[position]) : L"<no label>";
}

struct Details {
  HWND window = nullptr;
  HWND tabs = nullptr;
  HWND frames[5] = {};  // by tab, System first
};

// The frames are found by what each holds; the one in front is the first of
// them in the window's z-order of children.
bool find_frames(Details& d) {
  d.tabs = descendant(d.window, WC_TABCONTROLW);
  const HWND parts[] = {descendant(d.window, WC_COMBOBOXW), descendant(d.window, WC_TREEVIEWW),
                        descendant(d.window, WC_STATICW, L"&Work Groups"), nullptr,
                        descendant(d.window, WC_BUTTONW, L"&Ping")};
  for (int tab = 0; tab < 5; ++tab) d.frames[tab] = parts[tab] ? GetParent(parts[tab]) : nullptr;
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

// Clicks a tab (1-based) and checks that its frame came to the front.
void select_tab(const Details& d, int tab) {
  if (!click_tab(d.tabs, tab - 1)) return fail("tab rectangle " + std::to_string(tab), L"none", L"a rectangle");
  wait_for([&] { return front_tab(d) == tab; });
  check("frame in front after tab " + std::to_string(tab), number(front_tab(d)), number(tab));
}

void check_system_tab(const Details& d) {
  HWND system = d.frames[0];
  check("frame in front after the load", number(front_tab(d)), L"1");
  check("IP address", value_of(system, L"&IP", 0), L"127.0.0.1");
  check("description", value_of(system, L"&Description:"), L"Sales floor PC (front desk)");

  HWND types = descendant(system, WC_COMBOBOXW);
  std::wstring texts;
  for (int i = 0; i < SendMessageW(types, CB_GETCOUNT, 0, 0); ++i) {
    // Combo box texts are marshalled between processes.
    std::wstring text(static_cast<size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    texts += text + L"\n";
  }
  check("server types", texts,
        L"All LAN Manager workstations\nAll LAN Manager servers\nWindows NT (either Workstation or Server)\n");
  check("selected server type", number(SendMessageW(types, CB_GETCURSEL, 0, 0)), L"0");
  check("&On-Line!", checked_text(FindWindowExW(d.window, nullptr, WC_BUTTONW, L"&On-Line!")), L"checked");
  check("&Active", checked_text(FindWindowExW(d.window, nullptr, WC_BUTTONW, L"&Active")), L"checked");
}

// The rows top to bottom, each ended by a line break.
std::wstring rows(HWND list) {
  std::wstring text;
  for (const std::wstring& row : rows_of(list, 3)) text += row + L"\n";
  return text;
}

// The assigned users of PC042 in the management database, both logged on;
// SALES\jdoe is the console user.
void check_users(const Details& d) {
  select_tab(d, 4);
  HWND list = descendant(d.frames[3], WC_LISTVIEWW);
  const std::wstring jdoe = L"Interactive | SALES\\jdoe | John Doe (4711) - Front desk\n";
  const std::wstring asmith = L"Logon Session | SALES\\asmith | Anna Smith\n";
  if (!click_header(list, 1)) return fail("Name column", L"none", L"a rectangle");
  wait_for([&] { return list_text(list, 0, 1) == L"SALES\\asmith"; });
  check("users by name ascending", rows(list), asmith + jdoe);
  click_header(list, 1);
  wait_for([&] { return list_text(list, 0, 1) == L"SALES\\jdoe"; });
  check("users by name descending", rows(list), jdoe + asmith);
}

// Esc goes to the control that has the focus once the logon window is active.
void check_logon_alerts(const Details& d) {
  HWND alerts = descendant(d.frames[4], WC_BUTTONW, L"Lo&gon Alerts");
  if (!alerts) return fail("Lo&gon Alerts", L"missing", L"found");
  post_click(alerts);
  HWND logon = visible_window(L"Interactive Logon Properties of PC042");
  if (!logon) return fail("logon window", L"none", L"Interactive Logon Properties of PC042");
  wait_for([&] { return focus_of(logon) != logon; });
  press_key(focus_of(logon), VK_ESCAPE);
  if (!wait_closed(logon)) fail("logon window after Esc", L"open", L"closed");
}

// The details window: the one whose title names the computer (during the load
// "PC042 ..." or "SALES\PC042 -> ..."). A box it shows meanwhile (a failure
// during the load, the connection prompt) is reported and answered with its
// first button.
bool wait_loaded(Details& d) {
  const bool loaded = wait_for(
      [&] {
        d.window = nullptr;
        for (HWND w = GetTopWindow(nullptr); w && !d.window; w = GetWindow(w, GW_HWNDNEXT)) {
          if (IsWindowVisible(w) && title_of(w).find(kComputer) != std::wstring::npos && class_of(w) != L"#32770") {
            d.window = w;
          }
        }
        if (!d.window) return false;
        if (HWND box = shown_box(process_of(d.window))) {
          fail("box shown", box_text(box), L"no box");
          post_click(descendant(box, WC_BUTTONW));
        }
        return title_of(d.window) == kLoadedTitle;
      },
      60000);
  if (!loaded) fail("title at the load's end", d.window ? title_of(d.window) : L"<no window>", kLoadedTitle);
  return loaded;
}

bool close_with_ok(const Details& d) {
  HWND ok = FindWindowExW(d.window, nullptr, WC_BUTTONW, L"&OK");
  if (!ok) return fail("&OK", L"missing", L"found"), false;
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &answer);
  const bool closed = wait_closed(d.window);
  if (!closed) fail("details window after &OK", L"open", L"closed");
  return closed;
}

}  // namespace

int main(int argc, char** argv) {
  report.reset(argc > 1 ? std::fopen(argv[1], "w") : nullptr);
  if (!report) return 3;
  Details d;
  int code = 2;
  if (wait_loaded(d)) {
    if (find_frames(d)) {
      check_system_tab(d);
      for (int tab : {2, 3, 1}) select_tab(d, tab);
      check_users(d);
      check_logon_alerts(d);
    }
    code = close_with_ok(d) && failures == 0 ? 0 : 1;
  } else if (d.window) {
    close_with_ok(d);
  }
  std::fprintf(report.get(), "details_driver: done, %d failures\n", failures);
  return code;
}
