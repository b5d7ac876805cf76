// Image: a picture drawn on its container, identified by a picture resource id.
#pragma once

#include "forms/control.h"

namespace pendrel::forms {

class Image : public Control {
 public:
  explicit Image(const ControlSite& site) : Control(site, ControlKind::Image) {}

  // 0 for none.
  int picture() const { return picture_; }
  void set_picture(int picture);
  bool stretch() const { return stretch_; }
  void set_stretch(bool stretch);

 private:
  int picture_ = 0;
  bool stretch_ = false;
};

}  // namespace pendrel::forms
