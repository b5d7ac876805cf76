#include "outside/domain_object.h"

#include <gtest/gtest.h>

#include "outside_test_support.h"

namespace pendrel {
namespace {

using fakes::Call;
using fakes::FakeDispatch;
using namespace outside;
using namespace outside_test;

TEST(DomainObjectFacade, DomainsHandOutTheDomainAndItsCollections) {
  auto log = std::make_shared<fakes::CallLog>();
  auto host = std::make_shared<FakeDispatch>(L"DomainObject", log);
  auto sales = std::make_shared<FakeDispatch>(L"SALES", log);
  auto global = std::make_shared<FakeDispatch>(L"GlobalGroups", log);
  auto local = std::make_shared<FakeDispatch>(L"LocalGroups", log);
  auto users = std::make_shared<FakeDispatch>(L"Users", log);
  auto admins = std::make_shared<FakeDispatch>(L"Admins", log);
  host->on(L"ThisComputerName").get(L"CONSOLE1");
  host->on(L"ThisDomainName").get(L"SALES");
  host->on(L"Domains").get([&](std::span<Argument> args) {
    if (args[0].value == Variant(L"SALES")) return Variant(DispatchPtr(sales));
    throw Error(5, L"Invalid procedure call or argument");
  });
  host->on(L"RemNull").call([](std::span<Argument> args) {
    std::wstring text = args[0].value.text();
    std::erase(text, L'\0');
    return text;
  });
  sales->on(L"Count").get(int32_t{0});
  sales->on(L"GetItems").call(Variant());
  sales->on(L"GetGroups").call(Variant());
  sales->on(L"GlobalGroups").get(global);
  sales->on(L"LocalGroups").get(local);
  sales->on(L"Users").get(users);
  global->items({{L"Domain Admins", DispatchPtr(admins)}});
  local->items({});
  users->items({});
  users->on(L"GetItems").call(Variant());
  admins->on(L"GetDescription").call(L"Administrators of the domain");
  const DomainObject domain_object(host);

  EXPECT_EQ(domain_object.this_computer_name(), L"CONSOLE1");
  EXPECT_EQ(domain_object.this_domain_name(), L"SALES");
  EXPECT_EQ(domain_object.rem_null(with_nuls(L"Office\0\0")), L"Office");
  const Domain domain = domain_object.domains(L"SALES");
  EXPECT_EQ(domain.count(), 0);
  domain.get_items();
  domain.get_groups();
  ASSERT_TRUE(domain.global_groups().find(L"domain admins"));
  EXPECT_FALSE(domain.local_groups().find(L"Domain Admins"));
  const Users domain_users = domain.users();
  domain_users.get_items();
  EXPECT_FALSE(domain_users.find(L"jdoe"));
  // A domain the host does not know is a failure of Domains itself.
  try {
    domain_object.domains(L"NOWHERE");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 5);
  }

  EXPECT_EQ(log->calls()[2], (Call{L"DomainObject", L"RemNull", kMethod, {with_nuls(L"Office\0\0")}}));
  EXPECT_EQ(log->calls()[3], (Call{L"DomainObject", L"Domains", kRead, {L"SALES"}}));
  EXPECT_EQ(log->trace(), (std::vector<std::wstring>{
                              L"get DomainObject.ThisComputerName", L"get DomainObject.ThisDomainName",
                              with_nuls(L"call DomainObject.RemNull(\"Office\0\0\")"), L"get DomainObject.Domains(\"SALES\")",
                              L"get SALES.Count", L"call SALES.GetItems", L"call SALES.GetGroups",
                              L"get SALES.GlobalGroups", L"get GlobalGroups.Item(\"domain admins\")",
                              L"get SALES.LocalGroups", L"get LocalGroups.Item(\"Domain Admins\")",
                              L"get SALES.Users", L"call Users.GetItems", L"get Users.Item(\"jdoe\")",
                              L"get DomainObject.Domains(\"NOWHERE\")"}));
}

}  // namespace
}  // namespace pendrel
