// The font a form's window draws its captions in.
#pragma once

#include <windows.h>

#include "forms/form.h"

namespace pendrel::win32::ui {

// The form's designed face at its designed size for a screen of `dpi`. When
// that face is not installed the window still opens: it takes the machine's
// message face, but at the designed size, so that captions keep close to the
// room the layout gives them.
LOGFONTW form_font(const forms::Font& font, int dpi);

}  // namespace pendrel::win32::ui
