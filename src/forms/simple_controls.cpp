// The members of the controls that only hold a value and announce it.
#include "forms/errors.h"
#include "forms/host_control.h"
#include "forms/image.h"
#include "forms/label.h"

namespace pendrel::forms {

void Label::set_alignment(int alignment) {
  if (alignment < 0 || alignment > 2) throw form_failure(form_error::kInvalidPropertyValue);
  if (alignment == alignment_) return;
  alignment_ = alignment;
  changed(Property::Style);
}

void Label::set_border_style(int style) {
  if (style < 0 || style > 1) throw form_failure(form_error::kInvalidPropertyValue);
  if (style == border_style_) return;
  border_style_ = style;
  changed(Property::Style);
}

void Label::set_use_mnemonic(bool use) {
  if (use == use_mnemonic_) return;
  use_mnemonic_ = use;
  changed(Property::Style);
}

wchar_t Label::access_key() const { return use_mnemonic_ ? CaptionedControl::access_key() : 0; }

void Image::set_picture(int picture) {
  if (picture == picture_) return;
  picture_ = picture;
  changed(Property::Picture);
}

void Image::set_stretch(bool stretch) {
  if (stretch == stretch_) return;
  stretch_ = stretch;
  changed(Property::Style);
}

void HostControl::fire_event(std::wstring_view event, std::span<Variant> args) {
  outside_action([this, event, args] { raise(on_event, event, args); });
}

HostControl::EventSink HostControl::event_sink() {
  return [self = std::weak_ptr<HostControl*>(self_)](std::wstring_view event, std::span<Variant> args) {
    if (const auto control = self.lock()) (*control)->fire_event(event, args);
  };
}

}  // namespace pendrel::forms
