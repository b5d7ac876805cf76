#include "window_driver.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace pendrel::driver {

namespace {

using unique_process = std::unique_ptr<void, decltype(&CloseHandle)>;

// Memory in a window's process, freed with the object.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, size_t size) : process_(nullptr, &CloseHandle) {
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_of(window)));
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
  unique_process process_;
  void* address_ = nullptr;
};

RECT window_rect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

}  // namespace

namespace {

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

bool wait_for(const std::function<bool()>& done, DWORD timeout_ms) {
  const ULONGLONG until = GetTickCount64() + timeout_ms;
  for (;;) {
    pump();
    if (done()) return true;
    if (GetTickCount64() >= until) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void pump_for(DWORD ms) {
  const ULONGLONG until = GetTickCount64() + ms;
  do {
    pump();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  } while (GetTickCount64() < until);
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

std::vector<HWND> descendants(HWND root, const wchar_t* class_name, const wchar_t* text, bool prefix) {
  struct Search {
    const wchar_t* class_name;
    const wchar_t* text;
    bool prefix;
    std::vector<HWND> found;
  } search{class_name, text, prefix, {}};
  EnumChildWindows(
      root,
      [](HWND child, LPARAM param) CALLBACK -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        if (lstrcmpiW(class_of(child).c_str(), s.class_name) != 0) return TRUE;
        const std::wstring text = s.text ? text_of(child) : std::wstring();
        if (!s.text || (s.prefix ? text.starts_with(s.text) : text == s.text)) s.found.push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND descendant(HWND root, const wchar_t* class_name, const wchar_t* text, bool prefix) {
  const std::vector<HWND> found = descendants(root, class_name, text, prefix);
  return found.empty() ? nullptr : found.front();
}

HWND visible_window(const wchar_t* title, DWORD timeout_ms) {
  HWND window = nullptr;
  wait_for([&] { return (window = FindWindowW(nullptr, title)) && IsWindowVisible(window); }, timeout_ms);
  return window && IsWindowVisible(window) ? window : nullptr;
}

std::vector<HWND> row_values(HWND caption) {
  if (!caption) return {};
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

std::wstring checked_text(HWND box) {
  if (!box) return L"missing";
  switch (SendMessageW(box, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return L"checked";
    case BST_UNCHECKED: return L"unchecked";
    default: return L"grayed";
  }
}

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

void post_click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void press_key(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

HWND focus_of(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const bool inside = GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus &&
                      (info.hwndFocus == window || IsChild(window, info.hwndFocus));
  return inside ? info.hwndFocus : window;
}

bool send_with_data(HWND window, UINT message, WPARAM wparam, void* data, size_t size) {
  RemoteMemory remote(window, size);
  return remote && remote.write(data, size, remote.address()) &&
         SendMessageW(window, message, wparam, reinterpret_cast<LPARAM>(remote.address())) &&
         remote.read(data, size, remote.address());
}

bool click_tab(HWND tabs, int index) {
  RECT rect{};
  if (!send_with(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), rect)) return false;
  click_at(tabs, rect);
  return true;
}

bool click_header(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT rect{};
  if (!header || !send_with(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), rect)) return false;
  click_at(header, rect);
  return true;
}

bool click_row(HWND list, int row) {
  RECT rect{};
  rect.left = LVIR_LABEL;
  if (!send_with(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), rect)) return false;
  click_at(list, rect);
  return wait_for([&] { return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == row; });
}

std::wstring list_text(HWND list, int row, int column) {
  struct Request {
    LVITEMW item;
    wchar_t text[260];
  };
  RemoteMemory remote(list, sizeof(Request));
  Request request{};
  request.item.iSubItem = column;
  request.item.cchTextMax = 260;
  request.item.pszText = reinterpret_cast<wchar_t*>(remote.address() + offsetof(Request, text));
  if (!remote || !remote.write(&request, sizeof request, remote.address())) return L"<not written>";
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address()));
  if (!remote.read(&request, sizeof request, remote.address())) return L"<not read>";
  // The owner may answer with a pointer to its own text instead of the buffer.
  wchar_t text[260] = {};
  if (!remote.read(text, sizeof text - sizeof(wchar_t), request.item.pszText)) return L"<not read>";
  return text;
}

std::vector<std::wstring> rows_of(HWND list, int columns, std::wstring_view separator) {
  std::vector<std::wstring> rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring row = list_text(list, i, 0);
    for (int c = 1; c < columns; ++c) row += std::wstring(separator) + list_text(list, i, c);
    rows.push_back(row);
  }
  return rows;
}

HTREEITEM tree_item(HWND tree, UINT relation, HTREEITEM from) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

Node node_of(HWND tree, HTREEITEM item) {
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

namespace {

void add_lines(HWND tree, HTREEITEM first, size_t depth, std::wstring& lines) {
  for (HTREEITEM item = first; item; item = tree_item(tree, TVGN_NEXT, item)) {
    const Node node = node_of(tree, item);
    lines += std::wstring(2 * depth, L' ') + node.text + L" [" + std::to_wstring(node.image) + L"]\n";
    add_lines(tree, tree_item(tree, TVGN_CHILD, item), depth + 1, lines);
  }
}

}  // namespace

std::wstring tree_text(HWND tree) {
  std::wstring lines;
  add_lines(tree, tree_item(tree, TVGN_ROOT), 0, lines);
  return lines;
}

HTREEITEM find_node(HWND tree, const std::vector<std::wstring>& path) {
  HTREEITEM item = tree_item(tree, TVGN_ROOT);
  for (size_t level = 0; item && level < path.size(); ++level) {
    while (item && node_of(tree, item).text != path[level]) item = tree_item(tree, TVGN_NEXT, item);
    if (item && level + 1 < path.size()) item = tree_item(tree, TVGN_CHILD, item);
  }
  return item;
}

bool double_click_node(HWND tree, HTREEITEM item) {
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  RECT rect{};
  std::memcpy(&rect, &item, sizeof item);
  if (!send_with(tree, TVM_GETITEMRECT, TRUE, rect)) return false;
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) {
    PostMessageW(tree, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
  }
  return true;
}

HWND shown_box(DWORD pid) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (process_of(w) == pid && IsWindowVisible(w) && class_of(w) == L"#32770") return w;
  }
  return nullptr;
}

std::wstring box_text(HWND box) {
  std::wstring text = title_of(box);
  for (HWND label : descendants(box, WC_STATICW)) text += L" / " + text_of(label);
  return text;
}

std::wstring box_message(HWND box) {
  for (HWND label : descendants(box, WC_STATICW)) {
    if (!text_of(label).empty()) return text_of(label);
  }
  return L"<no message>";
}

DWORD process_of(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

bool wait_closed(HWND window, DWORD timeout_ms) {
  return wait_for([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout_ms);
}

}  // namespace pendrel::driver
