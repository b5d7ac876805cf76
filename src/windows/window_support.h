// What the three windows share: the component's title and the set-up every
// window's form gets from the environment it runs in.
#pragma once

#include <string_view>

#include "component/environment.h"
#include "forms/form.h"
#include "forms/image_list.h"

namespace pendrel::windows {

// The library's own title: message boxes and error reports carry it.
inline constexpr std::wstring_view kComponentTitle = L"Pendrel";

// Gives the form its renderer and shows failures of user-raised events in a
// message box with the component's title (critical icon), leaving the window
// usable.
void attach_environment(forms::Form& form, component::Environment& env);

// Fills a designed ImageList1(2) with the twelve small icons of the tree and
// account lists, so that a position means the same in every list (1 closed
// folder ... 12 local group of the computer).
void add_list_images(forms::ImageList& images);

}  // namespace pendrel::windows
