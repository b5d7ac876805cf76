#include "platform/win32/ui/window_basics.h"

#include "core/error.h"
#include "forms/form.h"

namespace pendrel::win32::ui {

namespace {

// VB's tool-window borders, beyond the ones the forms name.
constexpr int kFixedToolWindow = 4;
constexpr int kSizableToolWindow = 5;

}  // namespace

HINSTANCE module_instance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&module_instance), &module);
  return module;
}

void register_class(const wchar_t* name, WNDPROC proc) {
  const HINSTANCE instance = module_instance();
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, name, &existing)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  // Another thread may have registered it meanwhile.
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot register the window class");
  }
}

DWORD form_style(int border_style) {
  switch (border_style) {
    case forms::border_style::kNone: return WS_POPUP | WS_CLIPCHILDREN;
    case forms::border_style::kFixedSingle: return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    case forms::border_style::kFixedDialog:
    case kFixedToolWindow: return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    default: return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  }
}

DWORD form_ex_style(int border_style) {
  DWORD ex = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
  if (border_style == forms::border_style::kFixedDialog) ex |= WS_EX_DLGMODALFRAME;
  if (border_style == kFixedToolWindow || border_style == kSizableToolWindow) ex |= WS_EX_TOOLWINDOW;
  return ex;
}

std::wstring window_text(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void set_text(HWND window, const std::wstring& text) {
  if (window_text(window) != text) SetWindowTextW(window, text.c_str());
}

TTTOOLINFOW tool_info(HWND form, HWND control) {
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  return tool;
}

}  // namespace pendrel::win32::ui
