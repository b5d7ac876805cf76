// Positions and sizes in twips, as the forms store them, and their conversion
// to the pixels of a screen.
#pragma once

namespace pendrel::forms {

inline constexpr int kTwipsPerInch = 1440;

// VB keeps Left, Top, Width and Height as Single.
struct Bounds {
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

// 15 twips make a pixel at 96 DPI. Rounded to the nearest pixel, halves away
// from zero, so that a control's edges land where VB's own forms put them.
int twips_to_pixels(float twips, int dpi);
float pixels_to_twips(int pixels, int dpi);

}  // namespace pendrel::forms
