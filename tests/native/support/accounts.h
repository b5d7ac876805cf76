// A scripted host for the account lists: a Computer with its users and local
// groups, a DomainObject with domains, each collection empty until fetched.
// Every call lands in one log, so tests can count fetches and see the lookups.
#pragma once

#include <cwctype>
#include <map>
#include <optional>
#include <unordered_map>

#include "fake_dispatch.h"

namespace pendrel::fakes {

// A host collection: Count and Item(name or position) answer what the last
// fetch delivered; `stocked` is what a fetch delivers. Names compare without
// regard to case, as account names do.
class FakeAccounts {
 public:
  static std::wstring folded(std::wstring name) {
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    return name;
  }
  FakeAccounts(std::wstring name, std::shared_ptr<CallLog> log)
      : object(std::make_shared<FakeDispatch>(std::move(name), std::move(log))) {
    object->on(L"Count").get([this](std::span<Argument>) {
      if (broken) throw *broken;
      return static_cast<int32_t>(loaded.size());
    });
    object->on(L"Item", kDispIdValue).get([this](std::span<Argument> args) -> Variant {
      if (broken) throw *broken;
      const Variant& key = args[0].value;
      if (key.is_numeric()) {
        const int32_t i = key.to_long();
        if (i < 1 || i > static_cast<int32_t>(loaded.size())) throw Error::vb(vb_error::kInvalidProcedureCall);
        return Variant(stocked[i - 1].second);
      }
      if (const auto it = loaded.find(folded(key.text())); it != loaded.end()) return Variant(it->second);
      if (missing_gives_nothing) return Variant(DispatchPtr());
      throw Error::vb(vb_error::kInvalidProcedureCall);
    });
    object->on(L"GetItems").call([this](std::span<Argument>) { fetch(); });
  }
  FakeAccounts(const FakeAccounts&) = delete;
  void fetch() {
    loaded.clear();
    for (const auto& [name, item] : stocked) loaded.emplace(folded(name), item);
  }
  // The account, to script further: its detail member fills its text.
  std::shared_ptr<FakeDispatch> stock_user(const std::wstring& name, const std::wstring& full_name) {
    auto user = stock(name);
    auto filled = std::make_shared<bool>(false);
    user->on(L"GetUserInformation").call([filled](std::span<Argument>) { *filled = true; });
    user->on(L"FullName").get([filled, full_name](std::span<Argument>) { return *filled ? full_name : L""; });
    return user;
  }
  std::shared_ptr<FakeDispatch> stock_group(const std::wstring& name, const std::wstring& description) {
    auto group = stock(name);
    auto filled = std::make_shared<bool>(false);
    group->on(L"GetDescription").call([filled, description](std::span<Argument>) { return *filled = true, description; });
    group->on(L"Description").get([filled, description](std::span<Argument>) { return *filled ? description : L""; });
    return group;
  }

  std::shared_ptr<FakeDispatch> object;
  std::vector<std::pair<std::wstring, DispatchPtr>> stocked;
  std::unordered_map<std::wstring, DispatchPtr> loaded;  // by name in lower case, as a host indexes them
  std::optional<Error> broken;                            // Count and Item raise this
  bool missing_gives_nothing = false;                     // a name not there gives Nothing, not an error

 private:
  std::shared_ptr<FakeDispatch> stock(const std::wstring& name) {
    auto account = object->sibling(object->name() + L"(" + name + L")");
    account->on(L"Name").get(name), stocked.emplace_back(name, account);
    return account;
  }
};

class FakeDomain {
 public:
  FakeDomain(const std::wstring& name, const std::shared_ptr<CallLog>& log)
      : object(std::make_shared<FakeDispatch>(name, log)),
        global_groups(name + L".GlobalGroups", log),
        local_groups(name + L".LocalGroups", log),
        users(name + L".Users", log) {
    object->on(L"Count").get([this](std::span<Argument>) { return count; });
    object->on(L"GetItems").call([this](std::span<Argument>) { count = 3; });
    object->on(L"GetGroups").call([this](std::span<Argument>) { global_groups.fetch(), local_groups.fetch(); });
    for (auto* accounts : {&global_groups, &local_groups, &users})
      object->on(accounts->object->name().substr(name.size() + 1)).get(DispatchPtr(accounts->object));
  }

  std::shared_ptr<FakeDispatch> object;
  int32_t count = 0;
  FakeAccounts global_groups, local_groups, users;
};

// Computer PC042 (default member and Name) and a DomainObject whose Domains
// knows the domains added, by exact name; any other name raises.
class FakeAccountHost {
 public:
  explicit FakeAccountHost(std::shared_ptr<FakeDispatch> computer_object)
      : log(computer_object->shared_log()),
        computer(std::move(computer_object)),
        domain_object(std::make_shared<FakeDispatch>(L"DomainObject", log)),
        users(L"PC042.Users", log),
        local_local_groups(L"PC042.LocalLocalGroups", log) {
    computer->on(L"Value", kDispIdValue).get(L"PC042"), computer->on(L"Name").get(L"PC042");
    computer->on(L"Users").get(DispatchPtr(users.object)), computer->on(L"GetUsers").call([this](auto) { users.fetch(); });
    computer->on(L"LocalLocalGroups").get(DispatchPtr(local_local_groups.object));
    domain_object->on(L"Domains").get([this](std::span<Argument> args) -> Variant {
      const auto it = domains.find(args[0].value.text());
      if (it == domains.end()) throw Error::vb(vb_error::kInvalidProcedureCall);
      return DispatchPtr(it->second->object);
    });
  }

  FakeDomain& domain(const std::wstring& name) {
    auto& held = domains[name];
    if (!held) held = std::make_unique<FakeDomain>(name, log);
    return *held;
  }
  // How often the log holds exactly this line.
  int count(const std::wstring& line) const { return count_of(log->trace(), line); }

  std::shared_ptr<CallLog> log;
  std::shared_ptr<FakeDispatch> computer, domain_object;
  FakeAccounts users, local_local_groups;
  std::map<std::wstring, std::unique_ptr<FakeDomain>> domains;
};

}  // namespace pendrel::fakes
