// The list and tree views of a form: list rows read from the model as they are
// painted, tree nodes mirrored in the model's order (never sorted by the
// control), image lists drawn at run time, and tree painting held back while
// many nodes arrive.
#include <algorithm>
#include <unordered_map>

#include "core/text.h"
#include "forms/image_list.h"
#include "forms/list_view.h"
#include "forms/tree_view.h"
#include "platform/win32/ui/form_window.h"
#include "platform/win32/ui/picture_art.h"

namespace pendrel::win32::ui {

using forms::ControlKind;
using forms::ItemChange;

namespace {

int image_index(int position) { return position > 0 ? position - 1 : I_IMAGENONE; }

void set_redraw(HWND window, bool on) {
  SendMessageW(window, WM_SETREDRAW, on, 0);
  if (on) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

// Called by the tree view while it sorts: nothing here may throw. An item the
// model no longer counts among these children goes last.
int CALLBACK by_rank(LPARAM a, LPARAM b, LPARAM ranks) noexcept {
  const auto& rank = *reinterpret_cast<const std::unordered_map<LPARAM, int>*>(ranks);
  const auto place = [&rank](LPARAM item) {
    const auto it = rank.find(item);
    return it == rank.end() ? static_cast<int>(rank.size()) : it->second;
  };
  return place(a) - place(b);
}

}  // namespace

HIMAGELIST FormWindow::image_list(const forms::ImageList* images) {
  if (!images) return nullptr;
  unique_himagelist& list = image_lists_[images];
  const int size = images->image_width();
  if (!list) list.reset(ImageList_Create(size, images->image_height(), ILC_COLOR32 | ILC_MASK, images->count(), 4));
  // Pictures are only ever appended to a model image list.
  for (int i = ImageList_GetImageCount(list.get()); i < images->count(); ++i) {
    const unique_hicon icon = draw_picture(images->image(i + 1).picture, size);
    ImageList_AddIcon(list.get(), icon.get());
  }
  return list.get();
}

void FormWindow::apply_image_lists(View& view) {
  if (view.control->kind() == ControlKind::ListView) {
    const auto& list = static_cast<const forms::ListView&>(*view.control);
    SendMessageW(view.hwnd, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(image_list(list.icons())));
    SendMessageW(view.hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(image_list(list.small_icons())));
  } else if (view.control->kind() == ControlKind::TreeView) {
    const auto& tree = static_cast<const forms::TreeView&>(*view.control);
    SendMessageW(view.hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(image_list(tree.image_list())));
  }
}

// List views

void FormWindow::apply_columns(View& view) {
  const auto& columns = static_cast<const forms::ListView&>(*view.control).column_headers();
  HWND header = reinterpret_cast<HWND>(SendMessageW(view.hwnd, LVM_GETHEADER, 0, 0));
  const int shown = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  const bool same_count = shown == columns.count();
  if (!same_count) {
    while (SendMessageW(view.hwnd, LVM_DELETECOLUMN, 0, 0)) {
    }
  }
  for (int i = 1; i <= columns.count(); ++i) {
    const forms::ColumnHeader& column = columns.item(i);
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.cx = forms::twips_to_pixels(column.width(), dpi_);
    lvc.pszText = const_cast<wchar_t*>(column.text().c_str());
    lvc.iSubItem = i - 1;
    SendMessageW(view.hwnd, same_count ? LVM_SETCOLUMNW : LVM_INSERTCOLUMNW, static_cast<WPARAM>(i - 1),
                 reinterpret_cast<LPARAM>(&lvc));
  }
  apply_sort(view);
  InvalidateRect(view.hwnd, nullptr, TRUE);
}

void FormWindow::apply_sort(View& view) {
  const auto& list = static_cast<const forms::ListView&>(*view.control);
  HWND header = reinterpret_cast<HWND>(SendMessageW(view.hwnd, LVM_GETHEADER, 0, 0));
  if (!header) return;
  const int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
    if (list.sorted() && list.sort_key() == i) {
      format |= list.sort_order() == forms::list_view_style::kAscending ? HDF_SORTUP : HDF_SORTDOWN;
    }
    if (format != item.fmt) {
      item.fmt = format;
      SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
  }
}

void FormWindow::show_rows(View& view) {
  const auto& items = static_cast<const forms::ListView&>(*view.control).list_items();
  if (SendMessageW(view.hwnd, LVM_GETITEMCOUNT, 0, 0) != items.count()) {
    SendMessageW(view.hwnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(items.count()), LVSICF_NOSCROLL);
  }
  list_select(view);
  InvalidateRect(view.hwnd, nullptr, TRUE);
}

void FormWindow::list_select(View& view) {
  const forms::ListItem* selected = static_cast<const forms::ListView&>(*view.control).selected_item();
  const int row = selected ? selected->index() - 1 : -1;
  const int now = static_cast<int>(SendMessageW(view.hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row == now) return;
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(view.hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (row >= 0) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(view.hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  }
}

// The control holds no rows of its own: it asks for the text and icon of each
// row it paints, so a load of thousands of rows costs one count.
void FormWindow::list_display(const forms::ListView& list, LVITEMW& shown) const {
  const auto& items = list.list_items();
  const size_t capacity = shown.mask & LVIF_TEXT ? static_cast<size_t>(std::max(shown.cchTextMax, 0)) : 0;
  if (shown.iItem < 0 || shown.iItem >= items.count()) {
    copy_to_buffer(L"", shown.pszText, capacity);
    return;
  }
  const forms::ListItem& item = items.item(shown.iItem + 1);
  if (shown.iSubItem == 0) {
    copy_to_buffer(item.text(), shown.pszText, capacity);
  } else {
    copy_to_buffer(shown.iSubItem < list.column_headers().count() ? item.sub_item(shown.iSubItem) : L"",
                   shown.pszText, capacity);
  }
  if (shown.mask & LVIF_IMAGE) {
    shown.iImage = image_index(list.view() == forms::list_view_style::kIcon ? item.icon() : item.small_icon());
  }
}

// Typing in the list jumps to the next row whose text starts with what was
// typed (without regard to case), as in a list that holds its own rows.
int FormWindow::list_find(const forms::ListView& list, const NMLVFINDITEMW& find) const {
  const auto& items = list.list_items();
  const LVFINDINFOW& wanted = find.lvfi;
  if (!(wanted.flags & (LVFI_STRING | LVFI_PARTIAL)) || !wanted.psz || items.count() == 0) return -1;
  const std::wstring_view typed = wanted.psz;
  const bool prefix = (wanted.flags & LVFI_PARTIAL) != 0;
  const int start = find.iStart >= 0 && find.iStart < items.count() ? find.iStart : 0;
  for (int n = 0; n < items.count(); ++n) {
    const int row = (start + n) % items.count();
    if (row < start && !(wanted.flags & LVFI_WRAP)) break;
    const std::wstring& text = items.item(row + 1).text();
    if (text.size() < typed.size() || (!prefix && text.size() != typed.size())) continue;
    if (equal_no_case(std::wstring_view(text).substr(0, typed.size()), typed)) return row;
  }
  return -1;
}

LRESULT FormWindow::list_notify(View& view, const NMHDR& header) {
  auto& list = static_cast<forms::ListView&>(*view.control);
  if (header.code == LVN_GETDISPINFOW) {
    list_display(list, const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
    return 0;
  }
  if (header.code == LVN_ODFINDITEMW) return list_find(list, reinterpret_cast<const NMLVFINDITEMW&>(header));
  // While a bulk load is open the rows shown are not the model's.
  if (applying_ || list.updating()) return 0;
  switch (header.code) {
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem + 1;
      forward([&] { list.user_column_click(column); });
      break;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
          !(change.uOldState & LVIS_SELECTED) && change.iItem >= 0 && change.iItem < list.list_items().count()) {
        forms::ListItem* item = &list.list_items().item(change.iItem + 1);
        if (item != list.selected_item() && forward([&] { list.user_select(item); })) {
          Applying applying(*this);
          list_select(view);
        }
      }
      break;
    }
    case NM_CLICK:
      if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem < 0 && list.selected_item() &&
          SendMessageW(view.hwnd, LVM_GETSELECTEDCOUNT, 0, 0) == 0) {
        forward([&] { list.user_select(nullptr); });
      }
      break;
    case NM_DBLCLK: forward([&] { list.user_dbl_click(); }); break;
    default: break;
  }
  return 0;
}

// Tree views

void FormWindow::put_node(View& view, const forms::Node& node) {
  const auto it = view.items.find(&node);
  if (it == view.items.end()) return;
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
  item.hItem = it->second;
  item.pszText = const_cast<wchar_t*>(node.text().c_str());
  item.iImage = image_index(node.image());
  item.iSelectedImage = image_index(node.selected_image() ? node.selected_image() : node.image());
  SendMessageW(view.hwnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  tree_states(view, node);
}

void FormWindow::insert_subtree(View& view, const forms::Node& node, HTREEITEM after) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = node.parent() ? view.items.at(node.parent()) : TVI_ROOT;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<wchar_t*>(node.text().c_str());
  insert.item.iImage = image_index(node.image());
  insert.item.iSelectedImage = image_index(node.selected_image() ? node.selected_image() : node.image());
  insert.item.lParam = reinterpret_cast<LPARAM>(&node);
  auto handle = reinterpret_cast<HTREEITEM>(SendMessageW(view.hwnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!handle) return;
  view.items[&node] = handle;
  for (const forms::Node* child : node.child_nodes()) insert_subtree(view, *child, TVI_LAST);
  // A new item is collapsed and not the caret: only what differs is sent.
  if (node.expanded() && node.children() > 0) {
    SendMessageW(view.hwnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handle));
  }
  if (node.selected()) SendMessageW(view.hwnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
}

// Wine's tree view looks up an item given to insert after in the list of all
// its items, one by one: a node that goes after every shown sibling is
// appended with TVI_LAST, which costs nothing however large the tree.
HTREEITEM FormWindow::shown_before(View& view, const forms::Node& node) {
  const auto shown = [&view](const forms::Node* n) { return view.items.count(n) != 0; };
  const forms::Node* next = node.next();
  while (next && !shown(next)) next = next->next();
  if (!next) return TVI_LAST;
  const forms::Node* previous = node.previous();
  while (previous && !shown(previous)) previous = previous->previous();
  return previous ? view.items.at(previous) : TVI_FIRST;
}

void FormWindow::tree_expansion(View& view, const forms::Node& node) {
  if (!node.expanded()) return;
  const HTREEITEM handle = view.items.at(&node);
  if ((SendMessageW(view.hwnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(handle), TVIS_EXPANDED) & TVIS_EXPANDED) == 0) {
    SendMessageW(view.hwnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handle));
  }
}

void FormWindow::forget_subtree(View& view, const forms::Node& node) {
  view.items.erase(&node);
  for (const forms::Node* child : node.child_nodes()) forget_subtree(view, *child);
}

void FormWindow::tree_states(View& view, const forms::Node& node) {
  const HTREEITEM handle = view.items.at(&node);
  const bool expanded =
      (SendMessageW(view.hwnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(handle), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  if (expanded != node.expanded() && node.children() > 0) {
    SendMessageW(view.hwnd, TVM_EXPAND, node.expanded() ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(handle));
  }
  const auto caret = reinterpret_cast<HTREEITEM>(SendMessageW(view.hwnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (node.selected() && caret != handle) {
    SendMessageW(view.hwnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
  } else if (!node.selected() && caret == handle) {
    SendMessageW(view.hwnd, TVM_SELECTITEM, TVGN_CARET, 0);
  }
}

void FormWindow::tree_select(View& view) {
  const forms::Node* selected = static_cast<const forms::TreeView&>(*view.control).selected_item();
  const auto it = selected ? view.items.find(selected) : view.items.end();
  const HTREEITEM want = it == view.items.end() ? nullptr : it->second;
  if (reinterpret_cast<HTREEITEM>(SendMessageW(view.hwnd, TVM_GETNEXTITEM, TVGN_CARET, 0)) != want) {
    SendMessageW(view.hwnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(want));
  }
}

void FormWindow::reload_tree(View& view) {
  const auto& tree = static_cast<const forms::TreeView&>(*view.control);
  SendMessageW(view.hwnd, WM_SETREDRAW, FALSE, 0);
  SendMessageW(view.hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  ++view.deletions;
  view.items.clear();
  for (const forms::Node* node : tree.top_nodes()) insert_subtree(view, *node, TVI_LAST);
  tree_select(view);
  if (!view.redraw_held) set_redraw(view.hwnd, true);
}

void FormWindow::tree_changed(View& view, const forms::Change& change) {
  const auto& tree = static_cast<const forms::TreeView&>(*view.control);
  if (!change.node && change.item_change != ItemChange::Reordered) {
    reload_tree(view);
    return;
  }
  // A node whose relatives are not shown (the tree and the model parted) takes a reload.
  const auto shown = [&view](const forms::Node* node) { return !node || view.items.count(node) != 0; };
  switch (change.item_change) {
    case ItemChange::Added: {
      const forms::Node& node = *change.node;
      // Nodes added in one batch come in the order they were added: a node
      // may already be shown with its parent, and goes after the nearest
      // sibling before it that is shown.
      if (view.items.count(&node) != 0) break;
      if (!shown(node.parent())) {
        reload_tree(view);
        break;
      }
      hold_redraw(view);
      insert_subtree(view, node, shown_before(view, node));
      // The parent's first child lets it open.
      if (node.parent()) tree_expansion(view, *node.parent());
      break;
    }
    case ItemChange::Removed: {
      const auto it = view.items.find(change.node);
      if (it == view.items.end()) break;
      const HTREEITEM handle = it->second;
      hold_redraw(view);
      forget_subtree(view, *change.node);
      SendMessageW(view.hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(handle));
      ++view.deletions;
      tree_select(view);
      break;
    }
    case ItemChange::Changed: put_node(view, *change.node); break;
    case ItemChange::Moved: {
      const auto it = view.items.find(change.node);
      if (it == view.items.end() || !shown(change.node->previous())) {
        reload_tree(view);
        break;
      }
      const HTREEITEM handle = it->second;
      hold_redraw(view);
      forget_subtree(view, *change.node);
      SendMessageW(view.hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(handle));
      ++view.deletions;
      const forms::Node* previous = change.node->previous();
      insert_subtree(view, *change.node, previous ? view.items.at(previous) : TVI_FIRST);
      tree_select(view);
      break;
    }
    case ItemChange::Reordered: {
      if (!shown(change.node)) {
        reload_tree(view);
        break;
      }
      const auto& children = change.node ? change.node->child_nodes() : tree.top_nodes();
      std::unordered_map<LPARAM, int> rank;
      for (size_t i = 0; i < children.size(); ++i) rank[reinterpret_cast<LPARAM>(children[i])] = static_cast<int>(i);
      TVSORTCB sort{change.node ? view.items.at(change.node) : TVI_ROOT, by_rank, reinterpret_cast<LPARAM>(&rank)};
      SendMessageW(view.hwnd, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
      break;
    }
    case ItemChange::EnsureVisible:
      if (const auto it = view.items.find(change.node); it != view.items.end()) {
        SendMessageW(view.hwnd, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(it->second));
      }
      break;
  }
}

LRESULT FormWindow::tree_notify(View& view, const NMHDR& header) {
  auto& tree = static_cast<forms::TreeView&>(*view.control);
  if (applying_ || tree.updating()) return 0;
  switch (header.code) {
    case TVN_SELCHANGEDW: {
      auto* node = reinterpret_cast<forms::Node*>(reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.lParam);
      if (node && forward([&] { tree.user_select(*node); })) {
        Applying applying(*this);
        tree_select(view);
      }
      break;
    }
    case TVN_ITEMEXPANDEDW: {
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      auto* node = reinterpret_cast<forms::Node*>(change.itemNew.lParam);
      const bool expanded = (change.itemNew.state & TVIS_EXPANDED) != 0;
      if (node && node->expanded() != expanded) forward([&] { tree.user_expand(*node, expanded); });
      break;
    }
    case NM_DBLCLK: {
      // Once this returns, the control opens or closes the item it hit; an
      // item the handler deleted (a load that starts the tree afresh deletes
      // them all) is freed by then. The control is told the double-click was
      // handled whenever items went.
      const unsigned deletions = view.deletions;
      return !forward([&] { tree.user_dbl_click(); }) || view.deletions != deletions;
    }
    default: break;
  }
  return 0;
}

// Painting held back

void FormWindow::hold_redraw(View& view) {
  if (!view.redraw_held) {
    SendMessageW(view.hwnd, WM_SETREDRAW, FALSE, 0);
    view.redraw_held = true;
  }
  if (!redraw_posted_) redraw_posted_ = PostMessageW(hwnd_, kReleaseRedraw, 0, 0) != FALSE;
}

void FormWindow::release_redraw() {
  redraw_posted_ = false;
  for (auto& [control, view] : views_) {
    if (!view->redraw_held) continue;
    view->redraw_held = false;
    set_redraw(view->hwnd, true);
  }
}

}  // namespace pendrel::win32::ui
