// Properties (Pendrel.Properties): the computer details window.
#pragma once

#include "component/property_classes.h"
#include "details/frm_computer_details.h"

namespace pendrel::component {

using Properties = BasicProperties<details::FrmComputerDetails>;

}  // namespace pendrel::component
