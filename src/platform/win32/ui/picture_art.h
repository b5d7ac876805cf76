// The pictures of forms/pictures.h, drawn with GDI at run time: no image files.
#pragma once

#include <windows.h>

#include "platform/win32/ui/gdi.h"

namespace pendrel::win32::ui {

// The picture as an icon of size x size pixels. Never null.
unique_hicon draw_picture(int picture, int size);

// The shared system cursor for a VB mouse pointer value (99, custom, uses the
// picture `icon`); null for the default pointer (0).
HCURSOR pointer_cursor(int pointer, int icon);

}  // namespace pendrel::win32::ui
