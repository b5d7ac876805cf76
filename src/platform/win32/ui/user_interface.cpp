#include <memory>
#include <vector>

#include "core/error.h"
#include "platform/win32/ui/callback_guard.h"
#include "platform/win32/ui/form_window.h"
#include "platform/win32/ui/renderer.h"

namespace pendrel::win32::ui {

namespace {

constexpr WORD kPromptId = 100;
constexpr WORD kEditId = 101;

HINSTANCE this_module() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&this_module), &module);
  return module;
}

// The window of the thread's active form, which owns the boxes.
HWND owner_window() {
  forms::Form* active = forms::Form::active_form();
  HWND owner = active ? reinterpret_cast<HWND>(active->hwnd()) : nullptr;
  return owner && IsWindowVisible(owner) ? owner : nullptr;
}

// An in-memory dialog template (DLGTEMPLATE and its items, in dialog units).
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, std::wstring_view title, short cx, short cy, WORD items) {
    put_dword(style);
    put_dword(0);
    words_.push_back(items);
    put_rect(0, 0, cx, cy);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the dialog class
    put_string(title);
    words_.push_back(8);  // DS_SETFONT: the dialog font at 8 points
    put_string(L"MS Shell Dlg");
  }

  // A control of a predefined class (0x0080 button, 0x0081 edit, 0x0082 static).
  void add(WORD atom, DWORD style, short x, short y, short cx, short cy, WORD id, std::wstring_view text = {}) {
    if (words_.size() % 2) words_.push_back(0);
    put_dword(style | WS_CHILD | WS_VISIBLE);
    put_dword(0);
    put_rect(x, y, cx, cy);
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(atom);
    put_string(text);
    words_.push_back(0);  // no creation data
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void put_dword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void put_rect(short x, short y, short cx, short cy) {
    for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
  }
  void put_string(std::wstring_view text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

struct InputState {
  std::wstring prompt;
  std::wstring text;
};

INT_PTR input_message(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      const auto& state = *reinterpret_cast<InputState*>(lparam);
      SetDlgItemTextW(dialog, kPromptId, state.prompt.c_str());
      SetDlgItemTextW(dialog, kEditId, state.text.c_str());
      HWND edit = GetDlgItem(dialog, kEditId);
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;
    }
    case WM_COMMAND: {
      const WORD id = LOWORD(wparam);
      if (id != IDOK && id != IDCANCEL) return FALSE;
      auto& state = *reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      state.text.clear();
      if (id == IDOK) {
        HWND edit = GetDlgItem(dialog, kEditId);
        state.text.resize(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1);
        state.text.resize(static_cast<size_t>(GetWindowTextW(edit, state.text.data(), static_cast<int>(state.text.size()))));
      }
      EndDialog(dialog, id);
      return TRUE;
    }
    default: return FALSE;
  }
}

INT_PTR CALLBACK input_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return guard_callback(dialog, INT_PTR{FALSE}, [&] { return input_message(dialog, message, wparam, lparam); });
}

}  // namespace

forms::Form::PeerFactory make_peer_factory(HostControlFactory host_factory) {
  return [host_factory](forms::Form& form) -> std::unique_ptr<forms::FormPeer> {
    return std::make_unique<FormWindow>(form, host_factory);
  };
}

Win32UserInterface::Win32UserInterface(std::wstring default_title) : default_title_(std::move(default_title)) {}

int Win32UserInterface::message_box(std::wstring_view prompt, int style, std::wstring_view title) {
  HWND owner = owner_window();
  // VB's style numbers are the MessageBox flags; without a window of ours the
  // box still keeps the thread's windows from input, as VB's does.
  UINT flags = static_cast<UINT>(style);
  if (!owner) flags |= MB_TASKMODAL;
  const std::wstring text(prompt);
  const std::wstring caption(title.empty() ? std::wstring_view(default_title_) : title);
  const int result = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
  if (result == 0) throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot show the message box");
  return result;
}

std::wstring Win32UserInterface::input_box(std::wstring_view prompt, std::wstring_view title,
                                           std::wstring_view default_text) {
  // The layout of VB's InputBox: the prompt at the top left, OK and Cancel to
  // its right, the answer across the bottom.
  DialogTemplate dialog(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        title.empty() ? std::wstring_view(default_title_) : title, 250, 82, 4);
  dialog.add(0x0082, SS_LEFT | SS_NOPREFIX, 7, 7, 180, 48, kPromptId);
  dialog.add(0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP, 193, 7, 50, 14, IDOK, L"OK");
  dialog.add(0x0080, BS_PUSHBUTTON | WS_TABSTOP, 193, 25, 50, 14, IDCANCEL, L"Cancel");
  dialog.add(0x0081, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 61, 236, 13, kEditId);
  InputState state{std::wstring(prompt), std::wstring(default_text)};
  const INT_PTR result = DialogBoxIndirectParamW(this_module(), dialog.get(), owner_window(), input_proc,
                                                 reinterpret_cast<LPARAM>(&state));
  if (result == -1 || result == 0) throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot show the input box");
  return result == IDOK ? state.text : std::wstring();
}

void Win32UserInterface::do_events() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    // Our keys were taken by the keyboard hook already.
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int Win32UserInterface::mouse_pointer() const { return application_pointer(); }

void Win32UserInterface::set_mouse_pointer(int pointer) {
  set_application_pointer(pointer);
  // Show the new pointer now if it is over one of this thread's windows.
  POINT at{};
  if (!GetCursorPos(&at)) return;
  HWND under = WindowFromPoint(at);
  if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) return;
  const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

bool Win32WindowSystem::SetWindowPos(std::intptr_t hwnd, std::intptr_t insert_after, int x, int y, int cx, int cy,
                                     uint32_t flags) {
  return ::SetWindowPos(reinterpret_cast<HWND>(hwnd), reinterpret_cast<HWND>(insert_after), x, y, cx, cy, flags) !=
         FALSE;
}

bool Win32WindowSystem::SetForegroundWindow(std::intptr_t hwnd) {
  return ::SetForegroundWindow(reinterpret_cast<HWND>(hwnd)) != FALSE;
}

std::intptr_t Win32WindowSystem::SetActiveWindow(std::intptr_t hwnd) {
  return reinterpret_cast<std::intptr_t>(::SetActiveWindow(reinterpret_cast<HWND>(hwnd)));
}

}  // namespace pendrel::win32::ui
