// The Tavisk calls through the plain imports of tavisk.dll.
#pragma once

#include "outside/tavisk.h"

namespace pendrel::win32 {

// One instance for the process; it holds nothing but the imported entry points.
Tavisk& tavisk_library();

}  // namespace pendrel::win32
