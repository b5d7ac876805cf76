// Saves what a window shows on the screen as a PNG, for people to look at.
// Under Xvfb the screen DC holds the real pixels of every mapped window.
#pragma once

#include <windows.h>

#include <string>

namespace pendrel::win32::testing {

// Repaints the window, copies its rectangle from the screen and writes the PNG
// (the folder is created). Returns an empty string, or what went wrong.
std::wstring save_screenshot(HWND window, const std::wstring& png_path);

}  // namespace pendrel::win32::testing
