#include "forms/tab_strip.h"

#include "forms/errors.h"
#include "forms/text_rules.h"

namespace pendrel::forms {

int TabStrip::add_tab(std::wstring caption, std::wstring key, std::wstring tool_tip_text) {
  tabs_.push_back(Tab{std::move(caption), std::move(key), std::move(tool_tip_text)});
  changed(Property::Tabs);
  if (selected_ == 0) {
    selected_ = 1;
    changed(Property::SelectedTab);
  }
  return tab_count();
}

void TabStrip::check_index(int index) const {
  if (index < 1 || index > tab_count()) throw form_failure(form_error::kIndexOutOfBounds);
}

const Tab& TabStrip::tab(int index) const {
  check_index(index);
  return tabs_[index - 1];
}

void TabStrip::set_tab_caption(int index, std::wstring caption) {
  check_index(index);
  if (tabs_[index - 1].caption == caption) return;
  tabs_[index - 1].caption = std::move(caption);
  changed(Property::Tabs);
}

void TabStrip::select(int index) {
  check_index(index);
  if (index == selected_) return;
  selected_ = index;
  changed(Property::SelectedTab);
  raise(on_click);
}

int TabStrip::tab_for_access_key(wchar_t key) const {
  const wchar_t wanted = fold_case(key);
  for (int i = 0; i < tab_count(); ++i) {
    if (wanted != 0 && forms::access_key(tabs_[i].caption) == wanted) return i + 1;
  }
  return 0;
}

void TabStrip::user_select(int index) {
  user_action([this, index] { select(index); });
}

}  // namespace pendrel::forms
