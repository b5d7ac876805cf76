// UnavailableProperties (Pendrel.UnavailableProperties): the unavailable
// dialog settings window.
#pragma once

#include "component/property_classes.h"
#include "unavailable/frm_unavailable.h"

namespace pendrel::component {

using UnavailableProperties = BasicUnavailableProperties<unavailable::FrmUnavailable>;

}  // namespace pendrel::component
