// The computer's hardware description and group memberships, on request: the
// domain and local groups the host reports, and what the product's machine
// and hardware configuration files say about the computer.
#pragma once

#include "apps/apps_window.h"

namespace pendrel::apps {

// Fills the groups list (ListView1(1)) with the computer's global and local
// groups, then, with the product hive mounted, the make-and-model label
// (Label2(3)) and the product's logical computer groups. An unreachable
// registry leaves only the groups; missing files, sections and keys read as
// empty text. A host call that fails ends the load and raises its error;
// the pointer and the caption have been put back by then.
void LoadQMDetails(const AppsWindow& window);

}  // namespace pendrel::apps
