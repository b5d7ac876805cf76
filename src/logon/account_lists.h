// The four account lists of the logon window: reading an account list value
// ("AUTHORITY\name" entries joined by ";") into a list view, naming each
// account through the host's Computer and DomainObject, writing the rows
// back.
#pragma once

#include <string>
#include <string_view>

#include "core/dispatch.h"
#include "forms/list_view.h"

namespace pendrel::logon {

// Positions in the account image list ImageList1(2).
namespace account_icon {
inline constexpr int kGlobalGroup = 5;
inline constexpr int kUser = 7;
inline constexpr int kDomainLocalGroup = 8;
inline constexpr int kComputerLocalGroup = 12;
}  // namespace account_icon

// Adds one row per non-blank entry of `data` (key and text = the entry as
// read), or refreshes the row that already has that key; names each account
// on the computer when the authority is exactly the computer's name, in the
// domain of that name otherwise. Every host call that fails skips its step;
// nothing is raised. The rows are announced to the renderer once, at the end.
void load_list_view(forms::ListView& list, std::wstring_view data, const DispatchPtr& computer,
                    const DispatchPtr& domain_object);

// The rows' texts in the list's order joined by ";".
std::wstring account_list_value(const forms::ListView& list);

}  // namespace pendrel::logon
