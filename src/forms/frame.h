// Frame: a captioned container of other controls. Disabling or hiding it
// leaves the children's own Enabled and Visible alone; the renderer shows them
// disabled or hidden with it.
#pragma once

#include "forms/captioned_control.h"

namespace pendrel::forms {

class Frame : public CaptionedControl {
 public:
  explicit Frame(const ControlSite& site) : CaptionedControl(site, ControlKind::Frame) {}
};

}  // namespace pendrel::forms
