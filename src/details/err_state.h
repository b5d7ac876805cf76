// VB's Err for the stretches of the details load that run with errors
// ignored: the error of the last failing step stays the current error until
// it is cleared.
#pragma once

#include <cstdint>
#include <string>

#include "core/error.h"

namespace pendrel::details {

class ErrState {
 public:
  int32_t number() const { return number_; }
  const std::wstring& description() const { return description_; }
  bool raised() const { return number_ != 0; }

  // Clears the pending error.
  void clear() {
    number_ = 0;
    description_.clear();
  }

  // Runs one step with errors ignored: an Error it raises becomes the current
  // error and the rest of the step is skipped. True when the step ran to its end.
  template <class Step>
  bool step(Step&& run) {
    try {
      run();
      return true;
    } catch (const Error& error) {
      number_ = error.number();
      description_ = error.description();
      return false;
    }
  }

 private:
  int32_t number_ = 0;
  std::wstring description_;
};

}  // namespace pendrel::details
