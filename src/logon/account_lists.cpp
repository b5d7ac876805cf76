#include "logon/account_lists.h"

#include <optional>
#include <string>
#include <utility>

#include "core/error.h"
#include "outside/computer.h"
#include "outside/domain_object.h"

namespace pendrel::logon {

using forms::ListItem;
using forms::ListView;

namespace {

// Each step of naming an account runs under ignore_errors: a failing host
// call (or a missing host object) skips that step and the next one runs.

// What a lookup found. Without a description the row keeps the one it has.
struct Found {
  int icon = 0;
  std::optional<std::wstring> description;
};

// Fetches a collection while it is still empty, so that a list of many
// accounts costs one fetch per collection; a collection the fetch left empty
// is fetched again by the next account that needs it.
template <class IsEmpty, class Fetch>
void fetch_while_empty(IsEmpty&& is_empty, Fetch&& fetch) {
  bool empty = false;
  if (ignore_errors([&] { empty = is_empty(); }) && empty) ignore_errors(fetch);
}

Found user_found(const outside::User& user) {
  Found found{account_icon::kUser, std::nullopt};
  ignore_errors([&] { user.get_user_information(3); });
  ignore_errors([&] { found.description = user.full_name(); });
  return found;
}

Found group_found(const outside::Group& group, int icon) {
  Found found{icon, std::nullopt};
  ignore_errors([&] { group.get_description(); });
  ignore_errors([&] { found.description = group.description(); });
  return found;
}

// Collections are read from the host at each use: a fetch may hand out a new
// collection object.
class AccountNamer {
 public:
  AccountNamer(const DispatchPtr& computer, const DispatchPtr& domain_object) {
    ignore_errors([&] { computer_.emplace(computer); });
    ignore_errors([&] { domain_object_.emplace(domain_object); });
    if (computer_) ignore_errors([&] { computer_name_ = computer_->default_member(); });
  }

  std::optional<Found> name(const std::wstring& authority, const std::wstring& account) const {
    // Exact comparison: the computer's name in another letter case is looked
    // up as a domain of that name.
    if (computer_name_ && authority == *computer_name_) return on_computer(account);
    return in_domain(authority, account);
  }

 private:
  std::optional<Found> on_computer(const std::wstring& account) const {
    const outside::Computer& computer = *computer_;
    fetch_while_empty([&] { return computer.users().count() == 0; }, [&] { computer.get_users(); });
    std::optional<outside::User> user;
    ignore_errors([&] { user = computer.users().find(account); });
    if (user) return user_found(*user);

    std::optional<outside::Groups> groups;
    ignore_errors([&] { groups = computer.local_local_groups(); });
    if (!groups) return std::nullopt;
    fetch_while_empty([&] { return groups->count() == 0; }, [&] { groups->get_items(); });
    std::optional<outside::Group> group;
    ignore_errors([&] { group = groups->find(account); });
    if (group) return group_found(*group, account_icon::kComputerLocalGroup);
    return std::nullopt;
  }

  std::optional<Found> in_domain(const std::wstring& authority, const std::wstring& account) const {
    std::optional<outside::Domain> domain;
    if (domain_object_) ignore_errors([&] { domain = domain_object_->domains(authority); });
    if (!domain) return std::nullopt;
    const outside::Domain& d = *domain;

    fetch_while_empty([&] { return d.count() == 0; }, [&] { d.get_items(); });
    fetch_while_empty([&] { return d.global_groups().count() == 0 && d.local_groups().count() == 0; },
                      [&] { d.get_groups(); });

    std::optional<outside::Group> group;
    ignore_errors([&] { group = d.global_groups().find(account); });
    if (group) return group_found(*group, account_icon::kGlobalGroup);
    ignore_errors([&] { group = d.local_groups().find(account); });
    if (group) return group_found(*group, account_icon::kDomainLocalGroup);

    std::optional<outside::Users> users;
    ignore_errors([&] { users = d.users(); });
    if (!users) return std::nullopt;
    fetch_while_empty([&] { return users->count() == 0; }, [&] { users->get_items(); });
    std::optional<outside::User> user;
    ignore_errors([&] { user = users->find(account); });
    if (user) return user_found(*user);
    return std::nullopt;
  }

  std::optional<outside::Computer> computer_;
  std::optional<outside::DomainObject> domain_object_;
  std::optional<std::wstring> computer_name_;
};

bool blank(std::wstring_view entry) { return entry.find_first_not_of(L' ') == std::wstring_view::npos; }

void load_entry(ListView& list, const std::wstring& entry, const AccountNamer& namer) {
  list.set_enabled(true);
  ListItem* row = list.list_items().find(entry);
  if (!row) ignore_errors([&] { row = &list.list_items().add(entry, entry); });
  if (!row) return;
  row->set_text(entry);

  // "AUTHORITY\name"; without a backslash there is no name to look up.
  const size_t slash = entry.find(L'\\');
  if (slash == std::wstring::npos) return;
  const std::wstring authority = entry.substr(0, slash);
  const size_t name_end = entry.find(L'\\', slash + 1);
  const std::wstring account =
      entry.substr(slash + 1, name_end == std::wstring::npos ? std::wstring::npos : name_end - slash - 1);

  const std::optional<Found> found = namer.name(authority, account);
  if (!found) return;
  if (found->description) row->set_sub_item(1, *found->description);
  row->set_icon(found->icon);
  row->set_small_icon(found->icon);
}

}  // namespace

void load_list_view(ListView& list, std::wstring_view data, const DispatchPtr& computer,
                    const DispatchPtr& domain_object) {
  const forms::UpdateBatch batch = list.begin_update();
  const AccountNamer namer(computer, domain_object);
  size_t start = 0;
  while (start <= data.size()) {
    size_t end = data.find(L';', start);
    if (end == std::wstring_view::npos) end = data.size();
    const std::wstring_view entry = data.substr(start, end - start);
    if (!blank(entry)) load_entry(list, std::wstring(entry), namer);
    start = end + 1;
  }
}

std::wstring account_list_value(const ListView& list) {
  std::wstring value;
  const forms::ListItems& rows = list.list_items();
  for (int i = 1; i <= rows.count(); ++i) {
    if (!value.empty()) value += L';';
    value += rows.item(i).text();
  }
  return value;
}

}  // namespace pendrel::logon
