// A check of how our windows look, for any Windows test: the captions that do
// not fit their controls. (Screenshots: platform/win32/ui/screenshot.h.)
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pendrel::win32::testing {

// The visible labels, check boxes, buttons and frame captions of a window
// whose text does not fit, each as "caption: needs N px, has M".
std::vector<std::wstring> clipped_captions(HWND window);

}  // namespace pendrel::win32::testing
