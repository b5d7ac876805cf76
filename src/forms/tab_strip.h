// TabStrip: tabs counted from 1, one of them selected. Click runs whenever
// the selection changes, from the user or from code. The strip holds no
// controls: frames placed over it are brought to the front by the window.
#pragma once

#include <string>
#include <vector>

#include "forms/control.h"

namespace pendrel::forms {

struct Tab {
  std::wstring caption;
  std::wstring key;
  std::wstring tool_tip_text;
};

class TabStrip : public Control {
 public:
  explicit TabStrip(const ControlSite& site) : Control(site, ControlKind::TabStrip) {}

  // Appends a tab; the first tab becomes the selected one. Returns its index.
  int add_tab(std::wstring caption, std::wstring key = {}, std::wstring tool_tip_text = {});
  int tab_count() const { return static_cast<int>(tabs_.size()); }
  // Raises 35600 outside 1..count.
  const Tab& tab(int index) const;
  void set_tab_caption(int index, std::wstring caption);

  // 1-based; 0 while there are no tabs.
  int selected_index() const { return selected_; }
  void select(int index);

  // The tab whose caption has this access key; 0 when none.
  int tab_for_access_key(wchar_t key) const;

  void user_select(int index);

 private:
  void check_index(int index) const;

  std::vector<Tab> tabs_;
  int selected_ = 0;
};

}  // namespace pendrel::forms
