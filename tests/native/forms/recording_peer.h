// A renderer stand-in that writes what the model tells it into a shared
// trace ("create", "show", "control chkActive(1) Value", "control ListView1
// Items Added k2" ...), and whose modal loop runs a scripted user action.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/form.h"
#include "forms/list_view.h"
#include "forms/tree_view.h"

namespace pendrel::fakes {

using Trace = std::vector<std::wstring>;

inline std::wstring property_name(forms::Property p) {
  using forms::Property;
  static const std::map<Property, std::wstring> kNames = {
      {Property::Caption, L"Caption"}, {Property::Text, L"Text"},       {Property::Value, L"Value"},
      {Property::Enabled, L"Enabled"}, {Property::Visible, L"Visible"}, {Property::Bounds, L"Bounds"},
      {Property::ZOrder, L"ZOrder"},   {Property::Font, L"Font"},       {Property::Items, L"Items"},
      {Property::Nodes, L"Nodes"},     {Property::Sort, L"Sort"},       {Property::Columns, L"Columns"},
      {Property::WindowState, L"WindowState"}};
  const auto it = kNames.find(p);
  return it != kNames.end() ? it->second : L"#" + std::to_wstring(static_cast<int>(p));
}

inline std::wstring item_change_name(forms::ItemChange c) {
  static const wchar_t* const kNames[] = {L"Added", L"Removed", L"Changed", L"Moved", L"Reordered", L"EnsureVisible"};
  return kNames[static_cast<int>(c)];
}

inline std::wstring control_name(const forms::Control& c) {
  return c.index() == forms::kNoIndex ? c.name() : c.name() + L"(" + std::to_wstring(c.index()) + L")";
}

class RecordingPeer : public forms::FormPeer {
 public:
  RecordingPeer(std::shared_ptr<Trace> trace, std::function<void()> modal_action)
      : trace_(std::move(trace)), modal_action_(std::move(modal_action)) {}

  void create() override { add(L"create"); }
  void destroy() override { add(L"destroy"); }
  void show() override { add(L"show"); }
  void hide() override { add(L"hide"); }
  void run_modal() override {
    add(L"run_modal");
    if (modal_action_) modal_action_();
    add(L"end_modal");
  }
  void zorder(int position) override { add(L"zorder " + std::to_wstring(position)); }
  void refresh(const forms::Control* c) override { add(c ? L"refresh " + control_name(*c) : L"refresh"); }
  std::intptr_t hwnd() const override { return 0x2A0B4; }
  void form_changed(forms::Property p) override { add(L"form " + property_name(p)); }
  void control_changed(forms::Control& c, const forms::Change& change) override {
    std::wstring line = L"control " + control_name(c) + L" " + property_name(change.property);
    if (change.property == forms::Property::Items || change.property == forms::Property::Nodes) {
      line += L" " + item_change_name(change.item_change);
      if (change.list_item) line += L" " + change.list_item->key();
      if (change.node) line += L" " + change.node->key();
    }
    add(line);
  }

 private:
  void add(std::wstring line) { trace_->push_back(std::move(line)); }

  std::shared_ptr<Trace> trace_;
  std::function<void()> modal_action_;
};

}  // namespace pendrel::fakes
