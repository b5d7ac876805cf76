// ConnectString: the management database connection string that the host
// gives through Properties.Database. It belongs to the library, not to a
// window, so it outlives every window and is shared by all threads.
#pragma once

#include <string>

namespace pendrel::component {

std::wstring connect_string();
void set_connect_string(std::wstring text);

}  // namespace pendrel::component
