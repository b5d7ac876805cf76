// A control with a caption whose "&" marks its access key.
#pragma once

#include <string>

#include "forms/control.h"

namespace pendrel::forms {

class CaptionedControl : public Control {
 public:
  const std::wstring& caption() const { return caption_; }
  void set_caption(std::wstring caption);
  wchar_t access_key() const override;

 protected:
  using Control::Control;

 private:
  std::wstring caption_;
};

}  // namespace pendrel::forms
