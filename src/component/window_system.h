// The few user32 calls the component classes make on their windows' handles,
// behind an interface so the class logic runs and is tested without Windows.
#pragma once

#include <cstdint>

namespace pendrel::component {

inline constexpr std::intptr_t kHwndTopmost = -1;
inline constexpr std::intptr_t kHwndNoTopmost = -2;
inline constexpr uint32_t kSwpNoSize = 0x0001;
inline constexpr uint32_t kSwpNoMove = 0x0002;
inline constexpr uint32_t kSwpNoActivate = 0x0010;

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // Results are returned as user32 gives them; the callers ignore them.
  virtual bool SetWindowPos(std::intptr_t hwnd, std::intptr_t insert_after, int x, int y, int cx,
                            int cy, uint32_t flags) = 0;
  virtual bool SetForegroundWindow(std::intptr_t hwnd) = 0;
  virtual std::intptr_t SetActiveWindow(std::intptr_t hwnd) = 0;
};

}  // namespace pendrel::component
