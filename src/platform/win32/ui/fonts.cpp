#include "platform/win32/ui/fonts.h"

#include <cmath>

#include "core/text.h"
#include "platform/win32/ui/gdi.h"

namespace pendrel::win32::ui {

namespace {

// CreateFont never fails for a missing face, it substitutes one: ask the
// font list instead.
bool installed(const std::wstring& face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  copy_to_buffer(face, wanted.lfFaceName, LF_FACESIZE);
  window_dc screen(nullptr);
  bool found = false;
  EnumFontFamiliesExW(
      screen.get(), &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) CALLBACK -> int {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

LOGFONTW message_font() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return metrics.lfMessageFont;
  LOGFONTW face{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(face), &face);
  return face;
}

}  // namespace

LOGFONTW form_font(const forms::Font& font, int dpi) {
  LOGFONTW face = message_font();
  if (installed(font.name)) copy_to_buffer(font.name, face.lfFaceName, LF_FACESIZE);
  face.lfHeight = -static_cast<LONG>(std::lround(font.size * static_cast<float>(dpi) / 72));
  face.lfWidth = 0;
  return face;
}

}  // namespace pendrel::win32::ui
