#include "outside/domain_object.h"

#include <gtest/gtest.h>

#include "outside_test_support.h"

namespace pendrel {
namespace {

using namespace outside_test;

TEST(DomainObjectFacade, DomainsHandOutTheDomainAndItsCollections) {
  auto host = std::make_shared<FakeDispatch>(L"DomainObject");
  auto sales = host->sibling(L"SALES"), global = host->sibling(L"GlobalGroups"), users = host->sibling(L"Users");
  auto admins = host->sibling(L"Domain Admins");
  host->on(L"Domains").get([&](std::span<Argument> args) {
    if (args[0].value == Variant(L"SALES")) return Variant(DispatchPtr(sales));
    throw Error::vb(vb_error::kInvalidProcedureCall);
  });
  host->on(L"RemNull").call(L"Office");
  sales->on(L"Count").get(int32_t{0});
  sales->on(L"GetGroups").call(Variant());
  sales->on(L"GlobalGroups").get(global);
  sales->on(L"Users").get(users);
  global->items({{L"Domain Admins", DispatchPtr(admins)}});
  users->items({});
  users->on(L"GetItems").call(Variant());
  const DomainObject domain_object(host);

  const std::wstring with_nuls(L"Office\0\0", 8);
  EXPECT_EQ(domain_object.rem_null(with_nuls), L"Office");
  EXPECT_EQ(host->log().calls()[0].args, std::vector<Variant>{with_nuls});
  const Domain domain = domain_object.domains(L"SALES");
  EXPECT_EQ(domain.count(), 0);
  domain.get_groups();
  EXPECT_TRUE(domain.global_groups().find(L"Domain Admins"));
  domain.users().get_items();
  EXPECT_FALSE(domain.users().find(L"jdoe"));
  // Only item lookups mean "not found"; an unknown domain fails in Domains.
  EXPECT_EQ(error_number([&] { domain_object.domains(L"NOWHERE"); }), vb_error::kInvalidProcedureCall);

  const Trace trace = host->trace();
  EXPECT_EQ(Trace(trace.begin() + 1, trace.end()),
            (Trace{
                L"get DomainObject.Domains(\"SALES\")", L"get SALES.Count", L"call SALES.GetGroups",
                L"get SALES.GlobalGroups", L"get GlobalGroups.Item(\"Domain Admins\")", L"get SALES.Users",
                L"call Users.GetItems", L"get SALES.Users", L"get Users.Item(\"jdoe\")",
                L"get DomainObject.Domains(\"NOWHERE\")"}));
}

}  // namespace
}  // namespace pendrel
