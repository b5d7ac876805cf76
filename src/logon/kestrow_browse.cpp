#include "logon/kestrow_browse.h"

#include <array>
#include <utility>

#include "core/error.h"
#include "core/text.h"
#include "outside/computer.h"
#include "outside/controls.h"
#include "outside/domain_object.h"

namespace pendrel::logon {
namespace {

namespace opt = kestrow_option;

// The browse list shows what the host could give: each host call runs under
// ignore_errors, so one that fails leaves out only what it would have given.

// The collection `read` gives, fetched first while it is empty. The host may
// hand out a new collection object after the fetch, so it is read again.
template <class Read, class Fetch>
auto loaded(Read read, Fetch fetch) {
  auto collection = read();
  if (collection.count() == 0) {
    fetch();
    collection = read();
  }
  return collection;
}

void add_users(const outside::Users& users, const std::wstring& authority, std::vector<BrowseAccount>& out) {
  const int32_t count = users.count();
  for (int32_t i = 1; i <= count; ++i) {
    ignore_errors([&] {
      const outside::User user = users.item(i);
      BrowseAccount account{authority, user.name(), L"", AccountKind::User};
      ignore_errors([&] {
        user.get_user_information(3);
        account.description = user.full_name();
      });
      out.push_back(std::move(account));
    });
  }
}

void add_groups(const outside::Groups& groups, const std::wstring& authority, AccountKind kind,
                std::vector<BrowseAccount>& out) {
  const int32_t count = groups.count();
  for (int32_t i = 1; i <= count; ++i) {
    ignore_errors([&] {
      const outside::Group group = groups.item(i);
      BrowseAccount account{authority, group.name(), L"", kind};
      ignore_errors([&] { account.description = group.get_description(); });
      out.push_back(std::move(account));
    });
  }
}

int32_t kinds_of(int32_t options) {
  const int32_t kinds = options & opt::kKindMask;
  return kinds == 0 ? opt::kKindMask : kinds;
}

void gather_computer(const outside::Computer& computer, int32_t kinds, std::vector<BrowseAccount>& out) {
  std::wstring name;
  ignore_errors([&] { name = computer.default_member(); });
  if (trim_spaces(name).empty()) return;
  if (kinds & opt::kUsers) {
    ignore_errors([&] {
      add_users(loaded([&] { return computer.users(); }, [&] { computer.get_users(); }), name, out);
    });
  }
  if (kinds & opt::kLocalGroups) {
    ignore_errors([&] {
      const outside::Groups groups = loaded([&] { return computer.local_local_groups(); },
                                            [&] { computer.local_local_groups().get_items(); });
      add_groups(groups, name, AccountKind::ComputerLocalGroup, out);
    });
  }
}

void gather_domain(const outside::Domain& domain, const std::wstring& name, int32_t kinds,
                   std::vector<BrowseAccount>& out) {
  ignore_errors([&] {
    if (domain.count() == 0) domain.get_items();
  });
  if (kinds & (opt::kGlobalGroups | opt::kLocalGroups)) {
    ignore_errors([&] {
      if (domain.global_groups().count() == 0 && domain.local_groups().count() == 0) domain.get_groups();
    });
  }
  if (kinds & opt::kGlobalGroups)
    ignore_errors([&] { add_groups(domain.global_groups(), name, AccountKind::GlobalGroup, out); });
  if (kinds & opt::kLocalGroups)
    ignore_errors([&] { add_groups(domain.local_groups(), name, AccountKind::DomainLocalGroup, out); });
  if (kinds & opt::kUsers) {
    ignore_errors([&] {
      add_users(loaded([&] { return domain.users(); }, [&] { domain.users().get_items(); }), name, out);
    });
  }
}

const std::array<std::pair<std::wstring_view, DispId>, 6> kMembers = {{
    {L"Options", outside::kestrow_id::kOptions},
    {L"Title", outside::kestrow_id::kTitle},
    {L"OwnerWindow", outside::kestrow_id::kOwnerWindow},
    {L"Selection", outside::kestrow_id::kSelection},
    {L"TargetComputer", outside::kestrow_id::kTargetComputer},
    {L"ShowBrowse", outside::kestrow_id::kShowBrowse},
}};

}  // namespace

std::vector<BrowseAccount> gather_accounts(const DispatchPtr& computer,
                                           const DispatchPtr& domain_object, int32_t options) {
  std::vector<BrowseAccount> accounts;
  const int32_t kinds = kinds_of(options);
  std::wstring domain_name;
  if (computer) {
    const outside::Computer host_computer(computer);
    if (options & opt::kComputerAccounts) gather_computer(host_computer, kinds, accounts);
    ignore_errors([&] { domain_name = host_computer.domain(); });
  } else if (domain_object) {
    ignore_errors([&] { domain_name = outside::DomainObject(domain_object).this_domain_name(); });
  }
  if (domain_object && !trim_spaces(domain_name).empty()) {
    ignore_errors([&] {
      const outside::Domain domain = outside::DomainObject(domain_object).domains(domain_name);
      gather_domain(domain, domain_name, kinds, accounts);
    });
  }
  return accounts;
}

std::wstring selection_value(std::span<const BrowseAccount> accounts,
                             std::span<const size_t> chosen) {
  std::wstring value;
  for (size_t position : chosen) {
    if (!value.empty()) value += L';';
    value += accounts[position].entry();
  }
  return value;
}

KestrowBrowse::KestrowBrowse(std::shared_ptr<BrowseDialog> dialog) : dialog_(std::move(dialog)) {}

KestrowBrowse* KestrowBrowse::from(const DispatchPtr& object) {
  return dynamic_cast<KestrowBrowse*>(object.get());
}

void KestrowBrowse::set_host_objects(DispatchPtr computer, DispatchPtr domain_object) {
  computer_ = std::move(computer);
  domain_object_ = std::move(domain_object);
}

int32_t KestrowBrowse::show_browse() {
  BrowseRequest request{owner_window_, title_, target_computer_,
                        gather_accounts(computer_, domain_object_, options_)};
  const std::optional<std::vector<size_t>> chosen = dialog_->show(request);
  // Confirming with no row chosen chooses nothing: the window adds nothing.
  if (!chosen || chosen->empty()) return 1;
  selection_ = selection_value(request.accounts, *chosen);
  return 0;
}

DispId KestrowBrowse::id_of(std::wstring_view name) {
  for (const auto& [member, id] : kMembers)
    if (equal_no_case(member, name)) return id;
  throw Error::vb(vb_error::kObjectDoesNotSupportMember);
}

Variant KestrowBrowse::invoke(DispId id, InvokeKind kind, std::span<Argument> args) {
  namespace ids = outside::kestrow_id;
  const bool put = kind == InvokeKind::PropertyPut && args.size() == 1;
  const bool read = has_kind(kind, InvokeKind::PropertyGet) && args.empty();
  const bool method = has_kind(kind, InvokeKind::Method) && args.empty();
  if (put) {
    const Variant& value = args.back().value;
    switch (id) {
      case ids::kOptions: options_ = value.to_long(); return {};
      case ids::kTitle: title_ = value.to_text(); return {};
      case ids::kOwnerWindow: owner_window_ = value.to_long(); return {};
      case ids::kTargetComputer: target_computer_ = value.to_text(); return {};
      default: break;
    }
  } else if (id == ids::kSelection && read) {
    return selection_;
  } else if (id == ids::kShowBrowse && method) {
    return show_browse();
  }
  throw Error::vb(vb_error::kObjectDoesNotSupportMember);
}

}  // namespace pendrel::logon
