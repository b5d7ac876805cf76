// What the files of the form window share: its window classes and styles,
// the module it runs in, and window text and tooltip helpers.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace pendrel::win32::ui {

inline constexpr wchar_t kFormClass[] = L"PendrelForm";
inline constexpr wchar_t kFrameClass[] = L"PendrelFrame";
inline constexpr int kFirstControlId = 100;
// The open list of a combo box below its edit field, pixels.
inline constexpr int kComboDropHeight = 160;

// The module (pendrel.dll or a test program) whose code this is.
HINSTANCE module_instance();
// Registers a window class of ours once per module; raises an Error on failure.
void register_class(const wchar_t* name, WNDPROC proc);

// The window styles of a form's BorderStyle.
DWORD form_style(int border_style);
DWORD form_ex_style(int border_style);

std::wstring window_text(HWND window);
// Sets the text only when it differs, so that no needless change is announced.
void set_text(HWND window, const std::wstring& text);
// A tool of the form's tooltip window: the whole of one control.
TTTOOLINFOW tool_info(HWND form, HWND control);

}  // namespace pendrel::win32::ui
