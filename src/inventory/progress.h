// The inventory's progress and summary lines.
#pragma once

#include <cstddef>
#include <string>

namespace pendrel::inventory {

struct Progress {
  std::size_t done = 0;   // computers with a row, failed ones included
  std::size_t total = 0;
  std::size_t failed = 0;  // computers that gave no report (an error or a time-out)
  double seconds = 0;     // since the run started
};

// "inventory: 120/1000 done, 35.2 computers/s, 3 errors, 25 s left"
std::string progress_line(const Progress& progress);
// "inventory: 1000 of 1000 computers in 28.4 s (35.2 computers/s), 3 failed"
std::string summary_line(const Progress& progress);

}  // namespace pendrel::inventory
