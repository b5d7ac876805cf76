#include "inventory/progress.h"

#include <cmath>
#include <cstdio>

namespace pendrel::inventory {
namespace {

double rate(const Progress& p) { return p.seconds > 0 ? static_cast<double>(p.done) / p.seconds : 0; }

std::string formatted(const char* format, auto... values) {
  char text[200];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

std::string progress_line(const Progress& p) {
  std::string line = formatted("inventory: %zu/%zu done, %.1f computers/s, %zu error%s", p.done, p.total, rate(p),
                               p.failed, p.failed == 1 ? "" : "s");
  // Time left only once the rate means something.
  if (p.done > 0 && p.done < p.total && rate(p) > 0) {
    line += formatted(", %.0f s left", std::ceil(static_cast<double>(p.total - p.done) / rate(p)));
  }
  return line;
}

std::string summary_line(const Progress& p) {
  return formatted("inventory: %zu of %zu computers in %.1f s (%.1f computers/s), %zu failed", p.done, p.total,
                   p.seconds, rate(p), p.failed);
}

}  // namespace pendrel::inventory
