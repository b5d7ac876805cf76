// Works windows the way a user does, with window messages only, from the
// window's own thread or from another process: the demo takes its pictures
// with it and the end-to-end tests drive the windows with it. Messages whose
// lParam points to data (list views, tree views, tab and header controls) are
// not marshalled between processes, so their data goes through memory of the
// window's process; that works as well when it is this process.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pendrel::driver {

// Polls `done` for up to `timeout_ms`, running this thread's messages
// meanwhile (the demo's windows are its own); returns whether it held.
bool wait_for(const std::function<bool()>& done, DWORD timeout_ms = 5000);

// Runs this thread's messages for `ms`, as a window needs to paint.
void pump_for(DWORD ms);

// A window's text, asked with a timeout so that a busy window cannot hold the
// caller; "<no window>" for none.
std::wstring text_of(HWND window);
// A top-level window's title as the system keeps it: no message is sent, so it
// is read also while the window's thread is busy.
std::wstring title_of(HWND window);
std::wstring class_of(HWND window);

// Every descendant of `root` of that class whose text is `text` (starts with
// it, with `prefix`); any text when null.
std::vector<HWND> descendants(HWND root, const wchar_t* class_name, const wchar_t* text = nullptr,
                              bool prefix = false);
HWND descendant(HWND root, const wchar_t* class_name, const wchar_t* text = nullptr, bool prefix = false);

// The top-level window titled `title` once it is visible; null after the time.
HWND visible_window(const wchar_t* title, DWORD timeout_ms = 10000);
// The value labels on the row of a caption label, left to right.
std::vector<HWND> row_values(HWND caption);
// "checked", "unchecked" or "grayed".
std::wstring checked_text(HWND box);

// A mouse click in the middle of `part` (client coordinates) or of the window.
void click_at(HWND window, const RECT& part);
void click(HWND window);
// BM_CLICK posted: a click that opens a modal window runs a nested message
// loop that must not hold the caller.
void post_click(HWND button);
void press_key(HWND target, WPARAM key);
// The control that has the keyboard focus in the thread of `window`, or the
// window itself.
HWND focus_of(HWND window);

// Sends a message whose lParam points to `size` bytes at `data`, copied to the
// window's process first and read back with the answer.
bool send_with_data(HWND window, UINT message, WPARAM wparam, void* data, size_t size);
template <class T>
bool send_with(HWND window, UINT message, WPARAM wparam, T& data) {
  return send_with_data(window, message, wparam, &data, sizeof data);
}

// Clicks a tab (from 0) with the mouse; false when it has no rectangle.
bool click_tab(HWND tabs, int index);
// Clicks a list view's column header with the mouse.
bool click_header(HWND list, int column);
// Clicks a row's label with the mouse and waits until the row is selected.
bool click_row(HWND list, int row);
std::wstring list_text(HWND list, int row, int column);
// Each row top to bottom, its first `columns` texts joined by `separator`.
std::vector<std::wstring> rows_of(HWND list, int columns = 1, std::wstring_view separator = L" | ");

HTREEITEM tree_item(HWND tree, UINT relation, HTREEITEM from = nullptr);
struct Node {
  std::wstring text;
  int image = 0;  // numbered from 1 as in the window's image list; 0 for none
};
Node node_of(HWND tree, HTREEITEM item);
// Every node in the order shown, children after their parent, each as
// "<text> [<image>]" indented two spaces a level.
std::wstring tree_text(HWND tree);
// The node at the end of a path of texts from a root; null when missing.
HTREEITEM find_node(HWND tree, const std::vector<std::wstring>& path);
// Selects a node and double-clicks it, as a user's first click selects it.
bool double_click_node(HWND tree, HTREEITEM item);

// A visible dialog box ("#32770") of process `pid`, or null.
HWND shown_box(DWORD pid);
// A box's title and each of its label texts, joined by " / ".
std::wstring box_text(HWND box);
// The first non-empty label of a box: its message.
std::wstring box_message(HWND box);
DWORD process_of(HWND window);
// Waits until a window is gone or hidden.
bool wait_closed(HWND window, DWORD timeout_ms = 10000);

}  // namespace pendrel::driver
