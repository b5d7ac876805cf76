// The applications tree load and LoadQMDetails with the outside world failing
// one call at a time: each host call, each registry, INI and file call, the
// hive mount. The window stays usable after each load: at most the one box of
// a failing host call, the pointer and caption back, no key left open, the
// tree out of its bulk load and holding only nodes a clean run holds.
#include <gtest/gtest.h>

#include <set>

#include "apps/applications.h"
#include "details_fakes.h"
#include "forms/label.h"

namespace pendrel::apps {
namespace {

struct Count {
  int calls = 0, fail_at = 0;
  bool fails() { return ++calls == fail_at; }
};

// Every call of every host object counts; the one numbered fail_at raises.
struct HostFault : fakes::FakeDispatch {
  HostFault(const wchar_t* name, std::shared_ptr<fakes::CallLog> log, std::shared_ptr<Count> count)
      : FakeDispatch(name, std::move(log)), count(std::move(count)) {}
  Variant invoke(DispId id, InvokeKind kind, std::span<Argument> args) override {
    if (count->fails()) throw Error(5, L"injected failure");
    return FakeDispatch::invoke(id, kind, args);
  }
  std::shared_ptr<Count> count;
};

// The registry, INI and file calls count; the one numbered fail_at fails.
// Each INI read notes what the make-and-model label shows at that moment.
struct RegistryFault : FakeRegistry, Count {
  forms::Label* label = nullptr;
  std::vector<std::wstring> labels;
  int32_t RegOpenKeyExA(RegHandle r, const char* s, uint32_t o, uint32_t a, RegHandle& k) override {
    return fails() ? 5 : FakeRegistry::RegOpenKeyExA(r, s, o, a, k);
  }
  int32_t RegQueryValueExA(RegHandle k, const char* n, uint32_t& t, uint8_t* d, uint32_t& s) override {
    return fails() ? 5 : FakeRegistry::RegQueryValueExA(k, n, t, d, s);
  }
  int32_t RegEnumKeyA(RegHandle k, uint32_t i, char* n, uint32_t s) override {
    return fails() ? 5 : FakeRegistry::RegEnumKeyA(k, i, n, s);
  }
  int32_t RegConnectRegistryA(const char* m, RegHandle r, RegHandle& k) override {
    return fails() ? 53 : FakeRegistry::RegConnectRegistryA(m, r, k);
  }
  uint32_t GetPrivateProfileStringA(const char* s, const char* k, const char* d, char* b, uint32_t n,
                                    const char* f) override {
    if (label) labels.push_back(label->caption());
    return fails() ? 0 : FakeRegistry::GetPrivateProfileStringA(s, k, d, b, n, f);
  }
  uint32_t GetFileAttributesA(const char* p) override {
    return fails() ? kNoFileAttributes : FakeRegistry::GetFileAttributesA(p);
  }
};

// The mount brings the hive's two packages; it may fail with a status or
// raise, as a library that cannot be called does.
struct HiveTavisk : fakes::FakeTavisk {
  HiveTavisk(RegistryFault& reg, const Count& host) : FakeTavisk(nullptr), reg(reg), host(host) {}
  int32_t NetRegLoadKey(std::wstring_view, int32_t, std::wstring_view, std::wstring_view) override {
    mounted_after = host.calls;
    if (raises) throw Error(raises, L"Tavisk.dll cannot be called");
    if (status != 0) return status;
    for (const char* package : {"Office\\MachInst\\Word97", "Tools\\MachInst\\Zip"}) {
      reg.key(std::string("QM\\LastRun\\APPIMAGE\\") + package);
    }
    return 0;
  }
  RegistryFault& reg;
  const Count& host;
  int32_t status = 0, raises = 0, mounted_after = 0;
};

// PC042 of SALES seen from CONSOLE1, its hive not yet mounted; a global and a
// local group; the configuration files describe an Intel machine.
struct Loads {
  explicit Loads(int host_fail_at = 0) {
    auto make = [&](const wchar_t* n) { return keep.emplace_back(std::make_shared<HostFault>(n, bed.log, host)); };
    auto computer = make(L"Computer"), domain = make(L"DomainObject");
    computer->on(L"Name").get(L"PC042"), computer->on(L"Domain").get(L"SALES");
    computer->property(L"Reachable", true), computer->on(L"GetGroups").call([](auto) {});
    for (const wchar_t* kind : {L"GlobalGroups", L"LocalGroups"}) {
      auto group = make(kind), groups = make(kind);
      group->on(L"Name").get(kind), group->on(L"GetDescription").call(L"");
      groups->items({{kind, Variant(DispatchPtr(group))}}), computer->on(kind).get(Variant(DispatchPtr(groups)));
    }
    domain->on(L"ThisComputerName").get(L"CONSOLE1"), domain->on(L"ThisDomainName").get(L"SALES");
    domain->on(L"RemNull").call([](std::span<Argument> a) {
      std::wstring text = a[0].value.to_text();
      return std::erase(text, L'\0'), text;
    });
    reg.key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")["SystemRoot"] = {kRegSz, "C:\\WINNT"};
    reg.key("SOFTWARE\\Quillmark\\Local_Machine_Settings")["Home"] = {kRegSz, "QM\\"};
    reg.key("SYSTEM\\CurrentCOntrolSet\\Control\\Session Manager\\Environment")["MachinesCfg_Path"] = {kRegSz, "C:"};
    reg.files["\\\\PC042\\C$\\WINNT\\SYSTEM32\\system.dbx"] = 0x27;
    reg.ini_keys = {{"PC042/Hardware.cfg", "P3"}, {"P3/CPUMAKE", "Intel"}, {"P3/CPUMODEL", "Pentium"},
                    {"P3/CPUSERIES", "III"}, {"P3/NIC", "3C905"}, {"P3/VideoDriver", "ati"}};
    bed.env.services = &services;
    window = std::make_unique<details::FrmComputerDetails>(bed.env);
    window->set_DomainObject(domain), window->set_Computer(computer);
    form().load(), window->LoadedOnce = true, form().show(0), form().set_caption(L"SALES\\PC042");
    reg.label = &form().get<forms::Label>(L"Label2", 3);
    tree().nodes().add(L"Root", kUnloadedText), reg.label->set_caption(L"old");
    *host = Count{0, host_fail_at}, bed.log->clear();
  }
  forms::Form& form() { return window->form(); }
  forms::TreeView& tree() { return form().get<forms::TreeView>(L"tvwApps"); }
  // A double-click on the unloaded tree, then a click on "&Work Groups".
  void both_loads() {
    tree().user_dbl_click();
    expect_usable("the tree load");
    tree_calls = host->calls;
    form().get<forms::Label>(L"Label1", 6).user_click();
    expect_usable("LoadQMDetails");
  }
  void expect_usable(const char* after) {
    SCOPED_TRACE(after);
    EXPECT_EQ(form().caption(), L"SALES\\PC042");
    EXPECT_TRUE(bed.ui.pointers().empty() || bed.ui.pointers().back() == forms::mouse_pointer::kDefault);
    EXPECT_TRUE(reg.open.empty());
    EXPECT_FALSE(tree().updating());
  }
  std::set<std::wstring> keys() {
    std::set<std::wstring> keys;
    for (int i = 1; i <= tree().nodes().count(); ++i) keys.insert(tree().nodes().item(i).key());
    return keys;
  }
  std::vector<std::wstring> boxes() {
    std::vector<std::wstring> texts;
    for (const fakes::Prompt& p : bed.ui.prompts()) texts.push_back(p.prompt);
    return texts;
  }

  fakes::DetailsTestBed bed;
  std::shared_ptr<Count> host = std::make_shared<Count>();
  int tree_calls = 0;
  std::vector<std::shared_ptr<HostFault>> keep;
  RegistryFault reg;
  HiveTavisk tavisk{reg, *host};
  component::Services services{bed.odbc, tavisk, bed.clock, reg, nullptr};
  std::unique_ptr<details::FrmComputerDetails> window;
};

TEST(ApplicationsFaults, EachHostCallFailingEndsItsLoadWithOneBox) {
  Loads clean;
  clean.both_loads();
  ASSERT_TRUE(clean.boxes().empty() && clean.tavisk.mounted_after > 0);
  // The make-and-model label shows each step, the profile's read first: at
  // the reads of the profile, make, model, series, card, driver and groups.
  EXPECT_EQ(clean.reg.labels, (std::vector<std::wstring>{L"old", L"", L"Intel", L"Intel Pentium",
      L"Intel Pentium III", L"Intel Pentium III (NIC=3C905,", L"Intel Pentium III (NIC=3C905,Video=ati)"}));
  std::set<std::wstring> all = clean.keys();
  ASSERT_EQ(all.size(), 7u);
  all.insert(L"Root");  // a load that never started
  for (int n = 1; n <= clean.host->calls; ++n) {
    SCOPED_TRACE(testing::Message() << "host call " << n << ": " << to_ansi(clean.bed.log->trace()[n - 1]));
    Loads run(n);
    run.both_loads();
    const std::set<std::wstring> keys = run.keys();
    EXPECT_TRUE(std::includes(all.begin(), all.end(), keys.begin(), keys.end()));
    // The Name handed to the mount is read inside its trap.
    const std::wstring member = n <= clean.tree_calls ? L"tvwApps_DblClick" : L"Label1_Click";
    const std::wstring box = member + L": injected failure\r\n\r\n(Error 5)";
    EXPECT_EQ(run.boxes(), n == clean.tavisk.mounted_after ? std::vector<std::wstring>{} : std::vector{box});
  }
}

TEST(ApplicationsFaults, RegistryAndMountFailuresAreSilentAndTheLoadsGoOn) {
  Loads clean;
  clean.both_loads();
  for (int n = 1; n <= clean.reg.calls; ++n) {
    SCOPED_TRACE(testing::Message() << "registry call " << n);
    Loads run;
    run.reg.fail_at = n;
    run.both_loads();
    EXPECT_TRUE(run.boxes().empty());
  }
  // A refused mount, a missing library (53), a missing entry point (453).
  for (const auto& [status, raises] : {std::pair{1314, 0}, {0, 53}, {0, 453}}) {
    SCOPED_TRACE(testing::Message() << "mount " << status << ", raises " << raises);
    Loads run;
    run.tavisk.status = status, run.tavisk.raises = raises;
    run.both_loads();
    EXPECT_TRUE(run.boxes().empty());
    EXPECT_TRUE(!run.window->QMHiveLoaded && run.window->QMHome == L"QM\\" && run.tree().nodes().count() == 0);
  }
}

}  // namespace
}  // namespace pendrel::apps
