// Kestrow1, the account-browse control: its members by dispatch id, the
// accounts it gathers from scripted host objects by Options, and Selection.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "logon/kestrow_browse.h"
#include "logon_fakes.h"
#include "outside/controls.h"

namespace pendrel::logon {
namespace {

using fakes::CallLog;
using fakes::FakeDispatch;
using Lines = std::vector<std::wstring>;

// The computer PC042 in domain SALES; every collection is empty until fetched.
struct BrowseHost : fakes::FakeAccountHost {
  BrowseHost() : FakeAccountHost(std::make_shared<FakeDispatch>(L"Computer")) {
    computer->on(L"Domain").get(L"SALES");
    users.stock_user(L"Administrator", L"Built-in");
    users.stock_user(L"Guest", L"");
    local_local_groups.stock_group(L"Administrators", L"Full control");
    fakes::FakeDomain& sales = domain(L"SALES");
    sales.global_groups.stock_group(L"Domain Users", L"All domain users");
    sales.local_groups.stock_group(L"Print Operators", L"Printers");
    sales.users.stock_user(L"jdoe", L"John Doe");
    sales.users.stock_user(L"kiosk", L"");
  }

  std::vector<BrowseAccount> gather(int32_t options) {
    return gather_accounts(computer, domain_object, options);
  }
};

Lines entries(const std::vector<BrowseAccount>& accounts) {
  Lines out;
  for (const BrowseAccount& a : accounts) out.push_back(a.entry() + L" [" + a.description + L"]");
  return out;
}

Lines fetches(const CallLog& log) {
  Lines out;
  for (const std::wstring& line : log.trace())
    if (line.find(L"GetUsers") != std::wstring::npos || line.find(L"GetItems") != std::wstring::npos ||
        line.find(L"GetGroups") != std::wstring::npos)
      out.push_back(line);
  return out;
}

TEST(KestrowBrowse, GathersTheKindsOptionsAsksFor) {
  BrowseHost host;
  const std::vector<BrowseAccount> all = host.gather(0x47);
  EXPECT_EQ(entries(all), (Lines{L"PC042\\Administrator [Built-in]", L"PC042\\Guest []",
                                 L"PC042\\Administrators [Full control]", L"SALES\\Domain Users [All domain users]",
                                 L"SALES\\Print Operators [Printers]", L"SALES\\jdoe [John Doe]",
                                 L"SALES\\kiosk []"}));
  EXPECT_EQ(all[2].kind, AccountKind::ComputerLocalGroup);
  EXPECT_EQ(all[3].kind, AccountKind::GlobalGroup);
  EXPECT_EQ(all[4].kind, AccountKind::DomainLocalGroup);
  EXPECT_EQ(all[5].kind, AccountKind::User);
  EXPECT_EQ(fetches(*host.log), (Lines{L"call Computer.GetUsers", L"call PC042.LocalLocalGroups.GetItems",
                                       L"call SALES.GetItems", L"call SALES.GetGroups", L"call SALES.Users.GetItems"}));

  // Loaded collections are not fetched again.
  host.log->clear();
  EXPECT_EQ(host.gather(0x47).size(), 7u);
  EXPECT_TRUE(fetches(*host.log).empty());

  const std::pair<int32_t, Lines> kinds[] = {
      {7, {L"SALES\\Domain Users [All domain users]", L"SALES\\Print Operators [Printers]", L"SALES\\jdoe [John Doe]",
           L"SALES\\kiosk []"}},
      {0x41, {L"PC042\\Administrator [Built-in]", L"PC042\\Guest []", L"SALES\\jdoe [John Doe]", L"SALES\\kiosk []"}},
      {0x44, {L"PC042\\Administrators [Full control]", L"SALES\\Print Operators [Printers]"}},
      {0x02, {L"SALES\\Domain Users [All domain users]"}}};
  for (const auto& [options, want] : kinds) EXPECT_EQ(entries(host.gather(options)), want) << options;
  EXPECT_EQ(host.gather(0x40).size(), 7u) << "no kind bit lists every kind";
}

TEST(KestrowBrowse, FailingHostCallsLeaveOutOnlyWhatTheyWouldHaveGiven) {
  BrowseHost host;
  host.computer->on(L"Domain").get(L"ENGINEERING");  // Domains raises for it
  host.computer->on(L"LocalLocalGroups").raise(Error(5, L"denied"));
  EXPECT_EQ(entries(host.gather(0x47)), (Lines{L"PC042\\Administrator [Built-in]", L"PC042\\Guest []"}));

  BrowseHost failing_details;
  failing_details.domain(L"SALES").users.stock_user(L"mlee", L"Mei Lee")->on(L"GetUserInformation").raise(
      Error(53, L"network path not found"));
  EXPECT_EQ(entries(failing_details.gather(kestrow_option::kUsers)),
            (Lines{L"SALES\\jdoe [John Doe]", L"SALES\\kiosk []", L"SALES\\mlee []"}));

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
  BrowseHost host;
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
