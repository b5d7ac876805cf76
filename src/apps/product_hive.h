// The product's registry hive (system.dbx in the SYSTEM32 folder of the
// computer's Windows directory), mounted as the key "QM" under the machine
// root through Tavisk when it is not there yet. The applications tree and the
// machine configuration both need it.
#pragma once

#include "apps/apps_window.h"
#include "apps/registry_access.h"

namespace pendrel::apps {

// Mounts the hive unless the key "QM" already opens under root (QMHiveLoaded
// then keeps its value); otherwise QMHiveLoaded tells whether this mount
// succeeded. The hive file of a connected root is reached through the
// computer's administrative share. A missing hive or a failed mount is silent.
void MountProductHive(const AppsWindow& window, const RegKey& root);

}  // namespace pendrel::apps
