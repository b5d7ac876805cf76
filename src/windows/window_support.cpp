#include "windows/window_support.h"

#include <string>

#include "forms/pictures.h"
#include "forms/user_interface.h"

namespace pendrel::windows {

void attach_environment(forms::Form& form, component::Environment& env) {
  form.set_peer_factory(env.peer_factory);
  forms::UserInterface& ui = env.ui;
  form.set_error_reporter([&ui](const Error& error) {
    const std::wstring text = error.description() + L"\r\n\r\n(Error " + std::to_wstring(error.number()) + L")";
    ui.message_box(text, forms::msgbox_style::kOKOnly | forms::msgbox_style::kCritical, kComponentTitle);
  });
}

Error in_member(std::wstring_view member, const Error& error) {
  return Error(error.number(), std::wstring(member) + L": " + error.description(), error.source());
}

void SortListViewByColumn(forms::ListView& list, const forms::ColumnHeader& header) {
  namespace style = forms::list_view_style;
  list.set_sorted(true);
  const int key = header.index() - 1;
  if (list.sort_key() == key) {
    list.set_sort_order(list.sort_order() == style::kAscending ? style::kDescending : style::kAscending);
  } else {
    list.set_sort_key(key);
    list.set_sort_order(style::kAscending);
  }
}

void add_list_images(forms::ImageList& images) {
  namespace picture = forms::picture;
  for (int id = picture::kFolderClosed; id <= picture::kComputerLocalGroup; ++id) images.add(id);
}

}  // namespace pendrel::windows
