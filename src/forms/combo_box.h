// ComboBox: a list of texts with one selected (ListIndex, -1 for none). Click
// runs whenever the selection changes, from the user or from code.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"

namespace pendrel::forms {

namespace combo_style {
inline constexpr int kDropdownCombo = 0;
inline constexpr int kDropdownList = 2;
}  // namespace combo_style

class ComboBox : public Control {
 public:
  explicit ComboBox(const ControlSite& site) : Control(site, ControlKind::ComboBox) {}

  int style() const { return style_; }
  void set_style(int style);

  // Adds at the 0-based position, or at the end for -1; 5 outside 0..count.
  void add_item(std::wstring item, int position = -1);
  // Raises 5 for a position outside the list.
  void remove_item(int position);
  // Empties the list and the text.
  void clear();
  int list_count() const { return static_cast<int>(items_.size()); }
  const std::wstring& list(int position) const;
  const std::vector<std::wstring>& items() const { return items_; }

  int list_index() const { return list_index_; }
  // -1 clears the selection; a position outside the list raises 380.
  void set_list_index(int position);

  // The selected item, or what the user typed into a drop-down combo.
  const std::wstring& text() const { return text_; }
  void set_text(std::wstring text);

  std::function<void()> on_change;

  void user_select(int position);
  void user_edited(std::wstring text);

 private:
  int style_ = combo_style::kDropdownCombo;
  std::vector<std::wstring> items_;
  int list_index_ = -1;
  std::wstring text_;
};

}  // namespace pendrel::forms
