// FormWindow: the real window of one form. It builds the window and one child
// window per control from the model, applies every announced change to the
// control that shows it, and hands what the user does back to the model.
// By concern: form_window.cpp (life, lookups), form_layout.cpp (building),
// form_properties.cpp (changes applied), window_procedures.cpp (user
// actions), form_life.cpp (show, hide, the modal run), item_views.cpp (list
// and tree views), keyboard.cpp (keys); shared helpers in window_basics.h.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/error.h"
#include "forms/control.h"
#include "forms/form.h"
#include "forms/host_control.h"
#include "platform/win32/ui/gdi.h"
#include "platform/win32/ui/renderer.h"

namespace pendrel::forms {
class ImageList;
class ListView;
class TreeView;
class TextBox;
}  // namespace pendrel::forms

namespace pendrel::win32::ui {

// The keyboard handling of our forms for one message taken from the queue
// (keyboard.cpp): true when it was used up.
bool translate_message(MSG& msg);
// The hook that runs translate_message under any message loop, kept while the
// thread has a window of ours.
void hook_keyboard();
void unhook_keyboard();

// Screen.MousePointer of the thread's windows.
int application_pointer();
void set_application_pointer(int pointer);

class FormWindow final : public forms::FormPeer {
 public:
  FormWindow(forms::Form& form, HostControlFactory host_factory);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  void create() override;
  void destroy() override;
  void show() override;
  void hide() override;
  void run_modal() override;
  void zorder(int position) override;
  void refresh(const forms::Control* control) override;
  std::intptr_t hwnd() const override { return reinterpret_cast<std::intptr_t>(hwnd_); }
  void form_changed(forms::Property property) override;
  void control_changed(forms::Control& control, const forms::Change& change) override;

  // The form whose window is `top` (a top-level window of this thread); null
  // when it is none of ours.
  static FormWindow* of_window(HWND top);
  // Keyboard handling (keyboard.cpp): true when the message was used up.
  bool translate(MSG& msg);

  // Shows a failure as the form shows a failing event; false when it has no
  // way to (callback_guard.h).
  bool report(const Error& error) { return form_.report_error(error); }

  // The control a window (or a window inside it) belongs to; null when none.
  forms::Control* control_of(HWND window) const;
  // The outermost window of a control; null for kinds without one.
  HWND window_of(const forms::Control& control) const;

 private:
  // Posted once to a form whose list or tree views paint later.
  static constexpr UINT kReleaseRedraw = WM_APP + 1;

  struct View {
    forms::Control* control = nullptr;
    HWND hwnd = nullptr;  // a frame: its container window
    HWND box = nullptr;   // a frame: the group box inside the container
    int id = 0;
    bool has_tip = false;
    bool redraw_held = false;
    WNDPROC original_proc = nullptr;  // the control's own window procedure
    unique_hicon picture;
    std::unordered_map<const forms::Node*, HTREEITEM> items;
    // Tree items deleted so far: an item the control holds across a
    // notification may be gone once the notification returns.
    unsigned deletions = 0;
  };

  // Changes the renderer makes itself: their notifications are not user actions.
  class Applying {
   public:
    explicit Applying(FormWindow& window) : window_(window) { ++window_.applying_; }
    ~Applying() { --window_.applying_; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

   private:
    FormWindow& window_;
  };

  static LRESULT CALLBACK form_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT form_message(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT control_message(View& view, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  // WM_COMMAND and WM_NOTIFY from a control, whichever window is its parent.
  void command(HWND from, int code);
  LRESULT notify(const NMHDR& header);
  bool set_cursor(HWND over, int hit);

  // Runs a model call for a user action; false when the window is gone after it.
  bool forward(const std::function<void()>& call);
  bool alive() const { return *alive_ && hwnd_; }

  // Building.
  void build(forms::Control& control);
  HWND create_child(View& view, HWND parent);
  void restack(const forms::Frame* container);
  void recreate(View& view);
  void place_window();
  forms::Bounds outer_bounds() const;
  RECT pixels(const forms::Bounds& bounds) const;

  // Applying the model's state to a control.
  void apply_all(View& view);
  void apply_caption(View& view);
  void apply_text(View& view);
  void apply_value(View& view);
  void apply_enabled(View& view);
  void apply_visible(View& view);
  void apply_tooltip(View& view);
  void apply_bounds(View& view);
  void apply_font(View& view);
  void apply_default(View& view);
  void apply_max_length(View& view);
  void apply_picture(View& view);
  void apply_list(View& view);
  void apply_list_index(View& view);
  void apply_tabs(View& view);
  void apply_selected_tab(View& view);
  void apply_form_bounds();
  void apply_window_state();
  // Controls inside a frame follow its enabled state.
  void apply_enabled_within(const forms::Control& frame);

  // List and tree views (item_views.cpp).
  HIMAGELIST image_list(const forms::ImageList* images);
  void apply_image_lists(View& view);
  void apply_columns(View& view);
  void apply_sort(View& view);
  // The row count and the selection from the model; the rows repaint.
  void show_rows(View& view);
  void list_select(View& view);
  void list_display(const forms::ListView& list, LVITEMW& shown) const;
  int list_find(const forms::ListView& list, const NMLVFINDITEMW& find) const;
  void tree_changed(View& view, const forms::Change& change);
  void reload_tree(View& view);
  void insert_subtree(View& view, const forms::Node& node, HTREEITEM after);
  void forget_subtree(View& view, const forms::Node& node);
  void put_node(View& view, const forms::Node& node);
  void tree_states(View& view, const forms::Node& node);
  // Where a node goes among the shown items of its siblings.
  HTREEITEM shown_before(View& view, const forms::Node& node);
  // Opens the item when the node is expanded and the item is not yet.
  void tree_expansion(View& view, const forms::Node& node);
  void tree_select(View& view);
  // Painting of a tree is held back until the message loop idles.
  void hold_redraw(View& view);
  void release_redraw();
  LRESULT list_notify(View& view, const NMHDR& header);
  LRESULT tree_notify(View& view, const NMHDR& header);

  // Keyboard (keyboard.cpp).
  void focus(forms::Control& control);
  forms::Control* previous_in_tab_order(const forms::Control* from) const;

  void restore_disabled();
  static void wake_modal_run();
  // The control that takes the focus when the window is activated.
  HWND focus_target();

  forms::Form& form_;
  HostControlFactory host_factory_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  int dpi_ = 96;
  int applying_ = 0;
  bool redraw_posted_ = false;
  float applied_client_width_ = -1;
  float applied_client_height_ = -1;
  HWND focus_ = nullptr;
  // The window that was active before show(): the owner of a modal run.
  HWND before_show_ = nullptr;
  unique_hfont font_;
  unique_hfont underline_font_;
  std::unordered_map<const forms::Control*, std::unique_ptr<View>> views_;
  std::unordered_map<HWND, View*> by_window_;
  std::unordered_map<const forms::ImageList*, unique_himagelist> image_lists_;
  // Windows a modal show disabled, enabled again when it ends.
  std::vector<HWND> disabled_;
};

}  // namespace pendrel::win32::ui
