// What the window tests share: an environment with a scripted user interface,
// a window system that records nothing but answers, a recording renderer, and
// a fake Computer whose calls land in one log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "component/environment.h"
#include "component/window_system.h"
#include "fake_dispatch.h"
#include "forms/recording_peer.h"
#include "forms/scripted_ui.h"

namespace pendrel::fakes {

class QuietWindowSystem : public component::WindowSystem {
 public:
  bool SetWindowPos(std::intptr_t, std::intptr_t, int, int, int, int, uint32_t) override { return true; }
  bool SetForegroundWindow(std::intptr_t) override { return true; }
  std::intptr_t SetActiveWindow(std::intptr_t) override { return 0; }
};

struct WindowTestBed {
  QuietWindowSystem window_system;
  ScriptedUserInterface ui;
  std::shared_ptr<Trace> peer_trace = std::make_shared<Trace>();
  component::Environment env{window_system, ui, [trace = peer_trace](forms::Form&) {
                               return std::make_unique<RecordingPeer>(trace, nullptr, L"");
                             }};
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::shared_ptr<FakeDispatch> computer = std::make_shared<FakeDispatch>(L"Computer", log);

  int peer_lines(const std::wstring& line) const {
    int n = 0;
    for (const auto& l : *peer_trace) n += l == line;
    return n;
  }
};

// HKEY_LOCAL_MACHINE as the registry members receive it.
inline constexpr int32_t kHklm = static_cast<int32_t>(0x80000002u);

}  // namespace pendrel::fakes
