// What the three windows share: the component's title and the set-up every
// window's form gets from the environment it runs in.
#pragma once

#include <string_view>
#include <utility>

#include "component/environment.h"
#include "core/error.h"
#include "forms/form.h"
#include "forms/image_list.h"
#include "forms/list_view.h"

namespace pendrel::windows {

// The library's own title: message boxes and error reports carry it.
inline constexpr std::wstring_view kComponentTitle = L"Pendrel";

// Gives the form its renderer and shows failures of user-raised events in a
// message box with the component's title (critical icon), leaving the window
// usable. Handlers wired through run_member name themselves in that box.
void attach_environment(forms::Form& form, component::Environment& env);

// The error a window's event handler raised, its description led by the
// handler's member name ("Command1_Click: ..."), so that the message box
// tells the user which command failed. A handler run from another handler
// adds its name in front of the outer one's.
Error in_member(std::wstring_view member, const Error& error);

// Runs one event handler under its member name (see in_member).
template <class Handler>
void run_member(std::wstring_view member, Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (const Error& error) {
    throw in_member(member, error);
  }
}

// Sorting on; the clicked column again flips the order, another column sorts
// by that column ascending. The list views of every window sort this way.
void SortListViewByColumn(forms::ListView& list, const forms::ColumnHeader& header);

// Fills a designed ImageList1(2) with the twelve small icons of the tree and
// account lists, so that a position means the same in every list (1 closed
// folder ... 12 local group of the computer).
void add_list_images(forms::ImageList& images);

}  // namespace pendrel::windows
