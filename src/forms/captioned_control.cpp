#include "forms/captioned_control.h"

#include "forms/text_rules.h"

namespace pendrel::forms {

void CaptionedControl::set_caption(std::wstring caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  changed(Property::Caption);
}

wchar_t CaptionedControl::access_key() const { return forms::access_key(caption_); }

}  // namespace pendrel::forms
