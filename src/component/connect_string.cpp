#include "component/connect_string.h"

#include <mutex>
#include <utility>

namespace pendrel::component {
namespace {

// Each apartment thread runs its own objects, but this one value is shared
// by all of them.
std::mutex g_mutex;
std::wstring g_connect_string;

}  // namespace

std::wstring connect_string() {
  std::lock_guard lock(g_mutex);
  return g_connect_string;
}

void set_connect_string(std::wstring text) {
  std::lock_guard lock(g_mutex);
  g_connect_string = std::move(text);
}

}  // namespace pendrel::component
