// The seam between a form model and the window that shows it. The Windows
// renderer implements FormPeer; the model tells it what changed and the
// renderer reads the new state from the model. User actions travel the other
// way as plain model calls (the user_* members of Form and the controls).
#pragma once

#include <cstdint>

namespace pendrel::forms {

class Control;
class ListItem;
class Node;

// What changed. Properties that show nothing on screen (Tag, TabIndex,
// TabStop) are not announced.
enum class Property {
  Caption,        // form, label, check box, button, frame
  Text,           // text box, combo box
  Value,          // check box
  Enabled,
  Visible,
  ToolTipText,
  Bounds,         // Left, Top, Width, Height (of a form also its client size)
  ZOrder,         // the control's place in its container's stacking
  Font,           // underline
  MousePointer,   // pointer or its custom image
  Style,          // look fixed at design (multi-line, scroll bars, view, border ...)
  Default,        // button answers Enter
  Cancel,         // button answers Esc
  MaxLength,
  Picture,        // image
  List,           // combo box items
  ListIndex,      // combo box selection
  Tabs,           // tab strip tabs or their captions
  SelectedTab,
  ImageLists,     // the image lists of a list or tree view
  Columns,        // list view column headers
  Items,          // list view rows (see Change)
  Sort,           // list view Sorted, SortKey, SortOrder
  Nodes,          // tree view nodes (see Change)
  WindowState,    // form
};

// For Items and Nodes: what happened to which row or node. A change without
// an item stands for the whole collection (cleared, re-sorted, or the end of
// a bulk load): the renderer reloads it from the model.
enum class ItemChange {
  Added,          // inserted at its place (ListItem::index, Node::previous/parent)
  Removed,        // a row: announced once out of the list; a node: before it goes, with its subtree
  Changed,        // text, sub-items, images, selection or expansion
  Moved,          // a row or node took another place among its siblings
  Reordered,      // the children of `node` (the top level when null) were re-sorted
  EnsureVisible,  // scroll the node into view (its ancestors are expanded already)
};

struct Change {
  Property property;
  ItemChange item_change = ItemChange::Changed;
  const ListItem* list_item = nullptr;
  const Node* node = nullptr;
};

class FormPeer {
 public:
  virtual ~FormPeer() = default;

  // Builds the hidden window and its controls from the model (on Load).
  virtual void create() = 0;
  // The form unloads: the window goes. The peer object itself lives on until
  // the model's current event ends.
  virtual void destroy() = 0;
  virtual void show() = 0;
  virtual void hide() = 0;
  // Runs a nested message loop until the form is hidden or unloaded.
  virtual void run_modal() = 0;
  // 0 brings the window to the front, 1 sends it to the back.
  virtual void zorder(int position) = 0;
  // Repaints now; a null control stands for the whole form.
  virtual void refresh(const Control* control) = 0;
  virtual std::intptr_t hwnd() const = 0;

  virtual void form_changed(Property property) = 0;
  virtual void control_changed(Control& control, const Change& change) = 0;
};

}  // namespace pendrel::forms
