// The COM objects of Pendrel.Properties, Pendrel.LogonProperties and
// Pendrel.UnavailableProperties: each member converts its arguments, calls
// the class's behaviour (src/component) and reports a failure as an
// automation error of that member.
#pragma once

#include <span>

#include "platform/win32/com_server.h"

namespace pendrel::win32 {

std::span<const CreatableClass> pendrel_classes();

}  // namespace pendrel::win32
