// RAII owners for the window, GDI and common-control handles of the renderer.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/handles.h"

namespace pendrel::win32::ui {

inline void delete_gdi_object(HGDIOBJ object) { DeleteObject(object); }
inline void destroy_icon(HICON icon) { DestroyIcon(icon); }
inline void destroy_image_list(HIMAGELIST list) { ImageList_Destroy(list); }
inline void delete_dc(HDC dc) { DeleteDC(dc); }
inline void destroy_window(HWND window) { DestroyWindow(window); }
inline void unhook(HHOOK hook) { UnhookWindowsHookEx(hook); }

using unique_hfont = unique_handle<HFONT, delete_gdi_object>;
using unique_hbitmap = unique_handle<HBITMAP, delete_gdi_object>;
using unique_hbrush = unique_handle<HBRUSH, delete_gdi_object>;
using unique_hpen = unique_handle<HPEN, delete_gdi_object>;
using unique_hicon = unique_handle<HICON, destroy_icon>;
using unique_himagelist = unique_handle<HIMAGELIST, destroy_image_list>;
using unique_hdc = unique_handle<HDC, delete_dc>;
using unique_hwnd = unique_handle<HWND, destroy_window>;
using unique_hhook = unique_handle<HHOOK, unhook>;

// A GetDC of a window (null: the screen), released on scope exit.
class window_dc {
 public:
  explicit window_dc(HWND window) : window_(window), dc_(GetDC(window)) {}
  window_dc(const window_dc&) = delete;
  window_dc& operator=(const window_dc&) = delete;
  ~window_dc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back.
class selection {
 public:
  selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  selection(const selection&) = delete;
  selection& operator=(const selection&) = delete;
  ~selection() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace pendrel::win32::ui
