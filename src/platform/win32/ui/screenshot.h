// Saves what a window shows on the screen as a PNG, for people to look at
// (the demo and the tests). Under Xvfb the screen DC holds the real pixels of
// every mapped window. Needs COM initialised on the calling thread.
#pragma once

#include <windows.h>

#include <string>

namespace pendrel::win32::ui {

// Repaints the window, copies its rectangle from the screen and writes the PNG
// (missing folders are created). Returns an empty string, or what went wrong.
std::wstring save_screenshot(HWND window, const std::wstring& png_path);

}  // namespace pendrel::win32::ui
