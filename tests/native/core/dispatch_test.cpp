#include <gtest/gtest.h>

#include <memory>

#include "core/dispatch.h"
#include "core/error.h"
#include "fake_dispatch.h"

namespace pendrel {
namespace {

using fakes::Call;
using fakes::FakeDispatch;
using Lines = std::vector<std::wstring>;

TEST(DispatchConveniences, IssueTheKindsAndArgumentsVbIssues) {
  auto log = std::make_shared<fakes::CallLog>();
  auto computer = std::make_shared<FakeDispatch>(L"Computer", log);
  auto form = std::make_shared<FakeDispatch>(L"Form", log);
  computer->on(L"Name").get(L"PC1");
  computer->on(L"GetRegistryValue").call([](std::span<Argument> args) { return args[3].value; });
  computer->on(L"Item").let([](std::span<Argument>) {});
  computer->on_id(7).call([](std::span<Argument> args) { return args[0].value.to_long() * 2; });
  computer->on_id(3).get(L"127.0.0.1").let([](std::span<Argument>) {});
  form->property(L"Computer");

  EXPECT_EQ(computer->get(L"name").to_text(), L"PC1");
  EXPECT_EQ(computer->call(L"GetRegistryValue", {int32_t(0x80000002), L"SOFTWARE\\Q", L"Home", L"C:"}).to_text(), L"C:");
  computer->let(L"Item", L"x", {int16_t{1}});
  form->set(L"Computer", computer);
  EXPECT_EQ(computer->call(7, {21}).to_long(), 42);
  EXPECT_EQ(computer->get(3).to_text(), L"127.0.0.1");
  computer->let(3, L"10.0.0.1");

  EXPECT_EQ(log->trace(), (Lines{L"get Computer.Name",
                                 L"call Computer.GetRegistryValue(-2147483646, \"SOFTWARE\\Q\", \"Home\", \"C:\")",
                                 L"let Computer.Item(1) = \"x\"", L"set Form.Computer = Computer",
                                 L"call Computer.#7(21)", L"get Computer.#3", L"let Computer.#3 = \"10.0.0.1\""}));
  const auto& calls = log->calls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].kind, InvokeKind::Method | InvokeKind::PropertyGet);
  EXPECT_EQ(calls[2], (Call{L"Computer", L"Item", InvokeKind::PropertyPut, {Variant(int16_t{1}), Variant(L"x")}}));
  EXPECT_EQ(calls[3].kind, InvokeKind::PropertyPutRef);
  EXPECT_EQ(calls[6].kind, InvokeKind::PropertyPut);
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
  host.call(L"Lookup", {L"PC1", Argument::ref(account), Argument(by_value, true)});
  EXPECT_EQ(account, Variant(L"DOMAIN\\user"));
  EXPECT_EQ(by_value, Variant(L"kept"));  // by-ref to the callee, but bound to no variable
}

TEST(Errors, VbNumbersMapToTheirHresultsAndTextsOthersStayAsTheyAre) {
  const Error wake(5001, L"Wake-up failed \u00FC", L"Host.Computer");
  EXPECT_EQ(wake.hresult(), static_cast<int32_t>(0x800A1389));
  EXPECT_STREQ(wake.what(), "Wake-up failed \xC3\xBC");
  EXPECT_EQ(Error::vb(438).description(), L"Object doesn't support this property or method");
  EXPECT_EQ(Error::vb(438).hresult(), static_cast<int32_t>(0x800A01B6));
  EXPECT_EQ(Error::vb(449).description(), L"Argument not optional");
  EXPECT_EQ(Error::vb(94).description(), L"Invalid use of Null");
  const auto denied = static_cast<int32_t>(0x80070005);
  EXPECT_EQ(Error(denied, L"Access is denied.").hresult(), denied);
  EXPECT_EQ(Error(65536, L"x").hresult(), 65536);
}

}  // namespace
}  // namespace pendrel
