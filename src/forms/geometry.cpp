#include "forms/geometry.h"

#include <cmath>

namespace pendrel::forms {

int twips_to_pixels(float twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

float pixels_to_twips(int pixels, int dpi) {
  return static_cast<float>(static_cast<double>(pixels) * kTwipsPerInch / dpi);
}

}  // namespace pendrel::forms
