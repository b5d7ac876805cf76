// The values that live for one run of the details load and pass between its
// stages, and the load's error state: inside the regions where the load
// ignores errors a failing statement is skipped and the next one runs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "details/err_state.h"

namespace pendrel::details {

struct LoadState {
  int32_t LoadStatus = 0;
  int32_t UsersStatus = 0;
  std::wstring HostText;
  std::wstring ConsoleAccount;

  ErrState err;
  // True inside a region where errors are ignored.
  bool ignoring_errors = false;

  // One statement of the load: skipped on failure inside an ignoring region,
  // ending the load (the Error propagates) outside one.
  template <class Statement>
  void run(Statement&& statement) {
    if (ignoring_errors) {
      err.step(std::forward<Statement>(statement));
    } else {
      statement();
    }
  }
};

}  // namespace pendrel::details
