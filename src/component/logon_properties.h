// LogonProperties (Pendrel.LogonProperties): the logon alerts and
// restrictions window.
#pragma once

#include "component/property_classes.h"
#include "logon/frm_logon_property.h"

namespace pendrel::component {

using LogonProperties = BasicLogonProperties<logon::FrmLogonProperty>;

}  // namespace pendrel::component
