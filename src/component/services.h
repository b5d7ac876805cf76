// What the details window reaches besides its form and its host objects: the
// database objects CreateObject("ADODB.*") stands for, the Tavisk library,
// this machine's clock, the registry, INI and file functions of the
// applications tab, and CreateObject of our own classes by ProgID (the
// details window opens the logon and unavailable windows through them, as a
// console would). pendrel.dll fills them with the real ones; tests with fakes.
#pragma once

#include <functional>
#include <string_view>

#include "apps/registry_access.h"
#include "core/clock.h"
#include "core/dispatch.h"
#include "database/database.h"
#include "outside/tavisk.h"

namespace pendrel::component {

struct Services {
  database::DatabaseObjects& database_objects;
  Tavisk& tavisk;
  LocalClock& clock;
  apps::RegistryApi& registry;
  // Raises an Error when the class cannot be created.
  std::function<DispatchPtr(std::wstring_view prog_id)> create_object;
};

}  // namespace pendrel::component
