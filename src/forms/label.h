// Label: a caption drawn on its container. Its access key moves the focus to
// the next control in tab order.
#pragma once

#include "forms/captioned_control.h"

namespace pendrel::forms {

class Label : public CaptionedControl {
 public:
  explicit Label(const ControlSite& site) : CaptionedControl(site, ControlKind::Label) {}

  // 0 left, 1 right, 2 centre.
  int alignment() const { return alignment_; }
  void set_alignment(int alignment);
  // 0 none, 1 fixed single.
  int border_style() const { return border_style_; }
  void set_border_style(int style);
  // Whether "&" marks an access key or shows as itself.
  bool use_mnemonic() const { return use_mnemonic_; }
  void set_use_mnemonic(bool use);

  wchar_t access_key() const override;

 private:
  int alignment_ = 0;
  int border_style_ = 0;
  bool use_mnemonic_ = true;
};

}  // namespace pendrel::forms
