// What the window tests share: an environment with a scripted user interface,
// a window system that records nothing but answers, a recording renderer, and
// a fake Computer whose calls land in one log.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "component/environment.h"
#include "component/window_system.h"
#include "fake_dispatch.h"
#include "forms/list_view.h"
#include "forms/recording_peer.h"
#include "forms/scripted_ui.h"

namespace pendrel::fakes {

// Answers every call; given a trace, writes each call with its arguments.
class FakeWindowSystem : public component::WindowSystem {
 public:
  Trace* trace = nullptr;

  bool SetWindowPos(std::intptr_t hwnd, std::intptr_t after, int x, int y, int cx, int cy, uint32_t flags) override {
    add(L"SetWindowPos", {hwnd, after, x, y, cx, cy, flags});
    return true;
  }
  bool SetForegroundWindow(std::intptr_t hwnd) override { return add(L"SetForegroundWindow", {hwnd}), true; }
  std::intptr_t SetActiveWindow(std::intptr_t hwnd) override { return add(L"SetActiveWindow", {hwnd}), 0; }

 private:
  void add(std::wstring line, std::initializer_list<std::intptr_t> args) {
    if (!trace) return;
    for (std::intptr_t a : args) line += L" " + std::to_wstring(a);
    trace->push_back(std::move(line));
  }
};

struct WindowTestBed {
  FakeWindowSystem window_system;
  ScriptedUserInterface ui;
  std::shared_ptr<Trace> peer_trace = std::make_shared<Trace>();
  component::Environment env{window_system, ui, [trace = peer_trace](forms::Form&) {
                               return std::make_unique<RecordingPeer>(trace, nullptr);
                             }};
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::shared_ptr<FakeDispatch> computer = std::make_shared<FakeDispatch>(L"Computer", log);

  int peer_lines(const std::wstring& line) const { return count_of(*peer_trace, line); }
};

// Every row of a list as "key|text|sub item 1|sub item 2|tag|icon,small icon".
inline std::vector<std::wstring> list_rows(forms::ListItems& items) {
  std::vector<std::wstring> lines;
  for (int i = 1; i <= items.count(); ++i) {
    const forms::ListItem& r = items.item(i);
    lines.push_back(r.key() + L"|" + r.text() + L"|" + r.sub_item(1) + L"|" + r.sub_item(2) + L"|" + r.tag() + L"|" +
                    std::to_wstring(r.icon()) + L"," + std::to_wstring(r.small_icon()));
  }
  return lines;
}

}  // namespace pendrel::fakes
