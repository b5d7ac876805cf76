// A scripted stand-in for the user-interface services: message and input
// boxes answer from queues (or, unscripted, as Enter would: the default button
// or the default text), and every prompt, DoEvents and pointer change is kept
// for the test to assert.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "forms/user_interface.h"

namespace pendrel::fakes {

struct Prompt {
  enum class Kind { Message, Input };
  Kind kind;
  std::wstring prompt;
  std::wstring title;
  int style = 0;                // message boxes
  std::wstring default_text;    // input boxes
  friend bool operator==(const Prompt&, const Prompt&) = default;
};

inline Prompt message(std::wstring prompt, int style, std::wstring title) {
  return Prompt{Prompt::Kind::Message, std::move(prompt), std::move(title), style, {}};
}
inline Prompt input(std::wstring prompt, std::wstring title, std::wstring default_text) {
  return Prompt{Prompt::Kind::Input, std::move(prompt), std::move(title), 0, std::move(default_text)};
}

class ScriptedUserInterface : public forms::UserInterface {
 public:
  void answer_message(int button) { buttons_.push_back(button); }
  // "" answers as Cancel does.
  void answer_input(std::wstring text) { texts_.push_back(std::move(text)); }
  // Runs on each DoEvents, as the user acting while a window waits.
  std::function<void()> on_do_events;
  // Runs once, while the next message box is up.
  std::function<void()> during_box;

  const std::vector<Prompt>& prompts() const { return prompts_; }
  int do_events_calls() const { return do_events_calls_; }
  // Every value given to the mouse pointer, in order.
  const std::vector<int>& pointers() const { return pointers_; }

  int message_box(std::wstring_view prompt, int style, std::wstring_view title) override {
    prompts_.push_back(message(std::wstring(prompt), style, std::wstring(title)));
    if (during_box) std::exchange(during_box, nullptr)();
    if (buttons_.empty()) return forms::default_button(style);
    const int button = buttons_.front();
    buttons_.pop_front();
    return button;
  }

  std::wstring input_box(std::wstring_view prompt, std::wstring_view title,
                         std::wstring_view default_text) override {
    prompts_.push_back(input(std::wstring(prompt), std::wstring(title), std::wstring(default_text)));
    if (texts_.empty()) return std::wstring(default_text);
    std::wstring text = std::move(texts_.front());
    texts_.pop_front();
    return text;
  }

  void do_events() override {
    if (++do_events_calls_, on_do_events) on_do_events();
  }

  int mouse_pointer() const override { return pointer_; }
  void set_mouse_pointer(int pointer) override { pointers_.push_back(pointer_ = pointer); }

 private:
  std::deque<int> buttons_;
  std::deque<std::wstring> texts_;
  std::vector<Prompt> prompts_;
  int do_events_calls_ = 0;
  int pointer_ = forms::mouse_pointer::kDefault;
  std::vector<int> pointers_;
};

}  // namespace pendrel::fakes
