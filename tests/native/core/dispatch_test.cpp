#include <gtest/gtest.h>

#include <memory>

#include "core/dispatch.h"
#include "core/error.h"
#include "fake_dispatch.h"
#include "raised.h"

namespace pendrel {
namespace {

using fakes::Call;
using fakes::FakeDispatch;
using Lines = std::vector<std::wstring>;

constexpr InvokeKind kRead = InvokeKind::Method | InvokeKind::PropertyGet;

TEST(DispatchConveniences, IssueTheKindsAndArgumentsVbIssues) {
  auto log = std::make_shared<fakes::CallLog>();
  auto computer = std::make_shared<FakeDispatch>(L"Computer", log);
  auto form = std::make_shared<FakeDispatch>(L"Form", log);
  computer->on(L"Name").get(L"PC1");
  computer->on(L"GetRegistryValue").call([](std::span<Argument> args) { return args[3].value; });
  computer->property(L"Reachable", false);
  computer->on(L"Item").let([](std::span<Argument>) {});
  form->property(L"Computer");

  EXPECT_EQ(computer->get(L"name").to_text(), L"PC1");
  EXPECT_EQ(computer->call(L"GetRegistryValue", {int32_t(0x80000002), L"SOFTWARE\\Q", L"Home", L"C:"}).to_text(), L"C:");
  computer->let(L"Reachable", true);
  computer->let(L"Item", L"x", {int16_t{1}});
  form->set(L"Computer", computer);
  EXPECT_EQ(form->value(L"Computer").object(), computer);
  EXPECT_TRUE(computer->get(L"Reachable").to_bool());

  EXPECT_EQ(log->trace(), (Lines{
                              L"get Computer.Name",
                              L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Q\", \"Home\", \"C:\")",
                              L"let Computer.Reachable = True",
                              L"let Computer.Item(1) = \"x\"",
                              L"set Form.Computer = Computer",
                              L"get Computer.Reachable",
                          }));
  const auto& calls = log->calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0].kind, kRead);
  EXPECT_EQ(calls[3], (Call{L"Computer", L"Item", InvokeKind::PropertyPut, {Variant(int16_t{1}), Variant(L"x")}}));
  EXPECT_EQ(calls[4].kind, InvokeKind::PropertyPutRef);
}

TEST(DispatchConveniences, ByIdForMembersKnownOnlyByTheirIds) {
  FakeDispatch ping(L"Ping");
  ping.on_id(7).call([](std::span<Argument> args) { return args[0].value.to_long() * 2; });
  ping.on_id(3).get(L"127.0.0.1").let([](std::span<Argument>) {});
  ping.items({{L"first", Variant(L"one")}, {L"second", Variant(L"two")}});

  EXPECT_EQ(ping.call(7, {21}).to_long(), 42);
  EXPECT_EQ(ping.get(3).to_text(), L"127.0.0.1");
  ping.let(3, L"10.0.0.1");
  EXPECT_EQ(ping.get(kDispIdValue, {L"SECOND"}).to_text(), L"two");
  EXPECT_EQ(ping.get(kDispIdValue, {1}).to_text(), L"one");
  EXPECT_EQ(ping.get(L"Count").to_long(), 2);
  EXPECT_EQ(ping.trace(), (Lines{L"call Ping.#7(21)", L"get Ping.#3", L"let Ping.#3 = \"10.0.0.1\"",
                                 L"get Ping.Item(\"SECOND\")", L"get Ping.Item(1)", L"get Ping.Count"}));
  EXPECT_EQ(error_number([&] { ping.get(kDispIdValue, {3}); }), vb_error::kInvalidProcedureCall);
}

TEST(DispatchConveniences, ByRefArgumentsWriteBackToTheCallersVariable) {
  FakeDispatch host(L"Host");
  host.on(L"Lookup").call([](std::span<Argument> args) {
    args[1].value = L"DOMAIN\\user";
    args[2].value = 5;
    return 0;
  });
  Variant account = L"unchanged";
  Variant by_value = L"kept";
  EXPECT_EQ(host.call(L"Lookup", {L"PC1", Argument::ref(account), Argument(by_value, true)}).to_long(), 0);
  EXPECT_EQ(account, Variant(L"DOMAIN\\user"));
  EXPECT_EQ(by_value, Variant(L"kept"));  // by-ref to the callee, but bound to no variable
  EXPECT_EQ(host.trace(), (Lines{L"call Host.Lookup(\"PC1\", \"unchanged\", \"kept\")"}));
}

TEST(DispatchErrors, PropagateWithNumberDescriptionAndSource) {
  FakeDispatch computer(L"Computer");
  computer.on(L"Wake").raise(Error(5001, L"Wake-up failed \u00FC", L"Host.Computer"));
  computer.on(L"Nothing").get(DispatchPtr{});
  computer.on(L"Empty").call([](std::span<Argument>) {});

  const Error wake = error_of([&] { computer.call(L"Wake"); });
  EXPECT_EQ(wake.number(), 5001);
  EXPECT_EQ(wake.description(), L"Wake-up failed \u00FC");
  EXPECT_EQ(wake.source(), L"Host.Computer");
  EXPECT_EQ(wake.hresult(), static_cast<int32_t>(0x800A1389));
  EXPECT_STREQ(wake.what(), "Wake-up failed \xC3\xBC");
  // An unknown member, a kind the member lacks, an unknown id.
  for (const auto& attempt : std::vector<std::function<void()>>{[&] { computer.get(L"Missing"); },
                                                                [&] { computer.let(L"Empty", 1); },
                                                                [&] { computer.call(99); }}) {
    const Error e = error_of(attempt);
    EXPECT_EQ(e.number(), 438);
    EXPECT_EQ(e.description(), L"Object doesn't support this property or method");
    EXPECT_EQ(e.hresult(), static_cast<int32_t>(0x800A01B6));
  }
  EXPECT_TRUE(computer.get(L"Nothing").is_object());
  EXPECT_EQ(computer.get(L"Nothing").object(), nullptr);
  EXPECT_TRUE(computer.call(L"Empty").is_empty());

  EXPECT_EQ(Error::vb(449).description(), L"Argument not optional");
  EXPECT_EQ(Error::vb(94).description(), L"Invalid use of Null");
  const auto denied = static_cast<int32_t>(0x80070005);
  EXPECT_EQ(Error(denied, L"Access is denied.").hresult(), denied);
  EXPECT_EQ(Error(65536, L"x").hresult(), 65536);
}

}  // namespace
}  // namespace pendrel
