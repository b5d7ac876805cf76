// Kestrow1, the account-browse control: its members by dispatch id, the
// accounts it gathers from scripted host objects by Options, and Selection.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "fake_dispatch.h"
#include "logon/kestrow_browse.h"
#include "outside/controls.h"

namespace pendrel::logon {
namespace {

using fakes::CallLog;
using fakes::FakeDispatch;

// Host objects of the computer PC042 in domain SALES. Every collection is
// empty until its fetch runs.
struct FakeHost {
  std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
  std::shared_ptr<FakeDispatch> computer = std::make_shared<FakeDispatch>(L"Computer", log);
  std::shared_ptr<FakeDispatch> domain_object = std::make_shared<FakeDispatch>(L"DomainObject", log);
  std::shared_ptr<FakeDispatch> domain = std::make_shared<FakeDispatch>(L"Domain", log);

  FakeHost() {
    computer->on(L"Name", kDispIdValue).get(L"PC042");
    computer->on(L"Domain").get(L"SALES");
    auto users = collection(L"Users", {user(L"Administrator", L"Built-in"), user(L"Guest", L"")});
    computer->on(L"Users").get(users.first);
    computer->on(L"GetUsers").call([loaded = users.second](std::span<Argument>) { *loaded = true; });
    computer->on(L"LocalLocalGroups").get(
        collection(L"LocalLocalGroups", {group(L"Administrators", L"Full control")}, true).first);

    domain_object->on(L"Domains").get([this](std::span<Argument> args) -> Variant {
      if (args[0].value.to_text() != L"SALES") throw Error(5, L"no such domain");
      return DispatchPtr(domain);
    });
    auto fetched = std::make_shared<bool>(false);
    domain->on(L"Count").get([fetched](std::span<Argument>) { return *fetched ? 2 : 0; });
    domain->on(L"GetItems").call([fetched](std::span<Argument>) { *fetched = true; });
    auto global = collection(L"GlobalGroups", {group(L"Domain Users", L"All domain users")});
    auto local = collection(L"LocalGroups", {group(L"Print Operators", L"Printers")});
    domain->on(L"GlobalGroups").get(global.first);
    domain->on(L"LocalGroups").get(local.first);
    domain->on(L"GetGroups").call([g = global.second, l = local.second](std::span<Argument>) {
      *g = *l = true;
    });
    domain->on(L"Users").get(
        collection(L"Users", {user(L"jdoe", L"John Doe"), user(L"kiosk", L"")}, true).first);
  }

  DispatchPtr user(const std::wstring& name, const std::wstring& full_name) {
    auto u = std::make_shared<FakeDispatch>(L"User", log);
    u->on(L"Name").get(name);
    u->on(L"GetUserInformation").call([](std::span<Argument>) { return 0; });
    u->on(L"FullName").get(full_name);
    return u;
  }
  DispatchPtr group(const std::wstring& name, const std::wstring& description) {
    auto g = std::make_shared<FakeDispatch>(L"Group", log);
    g->on(L"Name").get(name);
    g->on(L"GetDescription").call(description);
    return g;
  }
  // The collection and its "loaded" flag; with own_fetch its GetItems loads it.
  std::pair<DispatchPtr, std::shared_ptr<bool>> collection(const std::wstring& name,
                                                           std::vector<DispatchPtr> items,
                                                           bool own_fetch = false) {
    auto c = std::make_shared<FakeDispatch>(name, log);
    auto loaded = std::make_shared<bool>(false);
    auto list = std::make_shared<std::vector<DispatchPtr>>(std::move(items));
    c->on(L"Count").get([=](std::span<Argument>) { return *loaded ? int32_t(list->size()) : 0; });
    c->on(L"Item", kDispIdValue).get([=](std::span<Argument> args) -> Variant {
      const int32_t i = args[0].value.to_long();
      if (!*loaded || i < 1 || i > int32_t(list->size())) throw Error::vb(vb_error::kInvalidProcedureCall);
      return (*list)[i - 1];
    });
    if (own_fetch) c->on(L"GetItems").call([loaded](std::span<Argument>) { *loaded = true; });
    return {c, loaded};
  }

  std::vector<BrowseAccount> gather(int32_t options) {
    return gather_accounts(computer, domain_object, options);
  }
};

std::vector<std::wstring> entries(const std::vector<BrowseAccount>& accounts) {
  std::vector<std::wstring> out;
  for (const BrowseAccount& a : accounts) out.push_back(a.entry() + L" [" + a.description + L"]");
  return out;
}

std::vector<std::wstring> fetches(const CallLog& log) {
  std::vector<std::wstring> out;
  for (const std::wstring& line : log.trace())
    if (line.find(L"GetUsers") != std::wstring::npos || line.find(L"GetItems") != std::wstring::npos ||
        line.find(L"GetGroups") != std::wstring::npos)
      out.push_back(line);
  return out;
}

TEST(KestrowBrowse, GathersTheKindsOptionsAsksFor) {
  FakeHost host;
  const std::vector<BrowseAccount> all = host.gather(0x47);
  EXPECT_EQ(entries(all), (std::vector<std::wstring>{
                              L"PC042\\Administrator [Built-in]", L"PC042\\Guest []",
                              L"PC042\\Administrators [Full control]",
                              L"SALES\\Domain Users [All domain users]",
                              L"SALES\\Print Operators [Printers]", L"SALES\\jdoe [John Doe]",
                              L"SALES\\kiosk []"}));
  EXPECT_EQ(all[2].kind, AccountKind::ComputerLocalGroup);
  EXPECT_EQ(all[3].kind, AccountKind::GlobalGroup);
  EXPECT_EQ(all[4].kind, AccountKind::DomainLocalGroup);
  EXPECT_EQ(all[5].kind, AccountKind::User);
  EXPECT_EQ(fetches(*host.log),
            (std::vector<std::wstring>{L"call Computer.GetUsers", L"call LocalLocalGroups.GetItems",
                                       L"call Domain.GetItems", L"call Domain.GetGroups",
                                       L"call Users.GetItems"}));

  // Loaded collections are not fetched again.
  host.log->clear();
  EXPECT_EQ(host.gather(0x47).size(), 7u);
  EXPECT_TRUE(fetches(*host.log).empty());

  EXPECT_EQ(entries(host.gather(7)),
            (std::vector<std::wstring>{L"SALES\\Domain Users [All domain users]",
                                       L"SALES\\Print Operators [Printers]",
                                       L"SALES\\jdoe [John Doe]", L"SALES\\kiosk []"}));
  EXPECT_EQ(entries(host.gather(0x41)),
            (std::vector<std::wstring>{L"PC042\\Administrator [Built-in]", L"PC042\\Guest []",
                                       L"SALES\\jdoe [John Doe]", L"SALES\\kiosk []"}));
  EXPECT_EQ(entries(host.gather(0x44)),
            (std::vector<std::wstring>{L"PC042\\Administrators [Full control]",
                                       L"SALES\\Print Operators [Printers]"}));
  EXPECT_EQ(entries(host.gather(0x02)),
            std::vector<std::wstring>{L"SALES\\Domain Users [All domain users]"});
  EXPECT_EQ(host.gather(0x40).size(), 7u) << "no kind bit lists every kind";
}

TEST(KestrowBrowse, FailingHostCallsLeaveOutOnlyWhatTheyWouldHaveGiven) {
  FakeHost host;
  host.computer->on(L"Domain").get(L"ENGINEERING");  // Domains raises for it
  host.computer->on(L"LocalLocalGroups").raise(Error(5, L"denied"));
  EXPECT_EQ(entries(host.gather(0x47)),
            (std::vector<std::wstring>{L"PC042\\Administrator [Built-in]", L"PC042\\Guest []"}));

  FakeHost failing_details;
  auto broken = std::make_shared<FakeDispatch>(L"User", failing_details.log);
  broken->on(L"Name").get(L"jdoe");
  broken->on(L"GetUserInformation").raise(Error(53, L"network path not found"));
  auto users = failing_details.collection(L"Users", {broken}, true);
  *users.second = true;
  failing_details.domain->on(L"Users").get(users.first);
  EXPECT_EQ(entries(failing_details.gather(kestrow_option::kUsers)),
            std::vector<std::wstring>{L"SALES\\jdoe []"});

  EXPECT_TRUE(gather_accounts(nullptr, nullptr, 0x47).empty());
}

// Answers ShowBrowse with the next scripted choice and keeps the requests.
class ScriptedDialog : public BrowseDialog {
 public:
  std::optional<std::vector<size_t>> show(const BrowseRequest& request) override {
    requests.push_back(request);
    auto answer = answers.at(requests.size() - 1);
    return answer;
  }
  std::vector<std::optional<std::vector<size_t>>> answers;
  std::vector<BrowseRequest> requests;
};

TEST(KestrowBrowse, MembersByDispatchIdAndSelection) {
  FakeHost host;
  auto dialog = std::make_shared<ScriptedDialog>();
  dialog->answers = {std::vector<size_t>{5, 2}, std::nullopt, std::vector<size_t>{}};
  auto object = std::make_shared<KestrowBrowse>(dialog);
  ASSERT_EQ(KestrowBrowse::from(object), object.get());
  EXPECT_EQ(KestrowBrowse::from(host.computer), nullptr);
  object->set_host_objects(host.computer, host.domain_object);

  const std::vector<std::pair<std::wstring, DispId>> ids = {
      {L"options", 1}, {L"Title", 2}, {L"OWNERWINDOW", 3}, {L"Selection", 4},
      {L"TargetComputer", 5}, {L"ShowBrowse", 8}};
  for (const auto& [name, id] : ids) EXPECT_EQ(object->id_of(name), id) << name;
  EXPECT_THROW(object->id_of(L"Item"), Error);

  // The window reaches it by id, through the facade.
  const outside::KestrowControl control(object);
  control.set_options(0x47);
  control.set_title(L"Select Users/Groups to watch for Logons");
  control.set_owner_window(-2147000000);
  control.set_target_computer(L"\\\\PC042");
  EXPECT_EQ(control.selection(), L"");
  EXPECT_EQ(control.show_browse(), 0);
  const BrowseRequest& request = dialog->requests.at(0);
  EXPECT_EQ(request.owner, -2147000000);
  EXPECT_EQ(request.title, L"Select Users/Groups to watch for Logons");
  EXPECT_EQ(request.target_computer, L"\\\\PC042");
  EXPECT_EQ(request.accounts.size(), 7u);
  EXPECT_EQ(control.selection(), L"SALES\\jdoe;PC042\\Administrators");

  EXPECT_EQ(control.show_browse(), 1) << "cancelled";
  EXPECT_EQ(control.show_browse(), 1) << "confirmed with nothing chosen";
  EXPECT_EQ(control.selection(), L"SALES\\jdoe;PC042\\Administrators");

  // Write-only members cannot be read, Selection cannot be written.
  for (DispId id : {1, 2, 3, 5}) EXPECT_THROW(object->get(id), Error) << id;
  EXPECT_THROW(object->let(outside::kestrow_id::kSelection, L"X\\y"), Error);
  EXPECT_THROW(object->let(outside::kestrow_id::kShowBrowse, 0), Error);
  EXPECT_THROW(object->call(outside::kestrow_id::kShowBrowse, {1}), Error);
  EXPECT_EQ(object->options(), 0x47);
}

}  // namespace
}  // namespace pendrel::logon
