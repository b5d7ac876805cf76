// A scriptable late-bound object for native tests: members answer per kind of
// call with a value or a handler, and every call is logged so that a test can
// assert the exact member names, kinds, arguments and order.
//
//   auto log = std::make_shared<fakes::CallLog>();
//   auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer", log);
//   computer->on(L"Name").get(L"PC1");
//   computer->property(L"Reachable", false);
//   computer->on(L"GetServerInformation").call([](std::span<Argument> args) { return 0; });
//   computer->on_id(3).call(L"pong");                 // a member known only by id
//   computer->items({{L"IPC$", share}});              // default member: Item(name or position)
//   ... code under test ...
//   EXPECT_EQ(log->trace(), (std::vector<std::wstring>{L"get Computer.Name",
//                                                      L"let Computer.Reachable = True"}));
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/dispatch.h"
#include "core/error.h"
#include "core/text.h"
#include "core/variant.h"

namespace pendrel::fakes {

// One call as the object received it; arguments as passed, before any by-ref
// write-back.
struct Call {
  std::wstring object;  // the fake's name
  std::wstring member;  // registered name, or "#<id>" for a member known only by id
  InvokeKind kind;
  std::vector<Variant> args;
  friend bool operator==(const Call&, const Call&) = default;
};

// The calls of one or more fakes in the order they arrived.
class CallLog {
 public:
  // An object argument is kept without owning it: a fake handed to a member
  // of a fake that shares this log would otherwise own itself through the log.
  // A test reads the log while the objects it passed live.
  void add(Call call) {
    for (Variant& a : call.args)
      if (a.is_object()) a = Variant(DispatchPtr(DispatchPtr(), a.object().get()));
    calls_.push_back(std::move(call));
  }
  const std::vector<Call>& calls() const { return calls_; }
  void clear() { calls_.clear(); }

  // One line per call: `get Computer.Name`, `call Computer.GetUsers(True)`,
  // `let Computer.Item(1) = "x"`, `set Form.Computer = Computer`. "get" is a
  // late-bound read (Method | PropertyGet), "propget" a PropertyGet alone.
  // Texts are quoted; objects show the fake's name, or "Nothing".
  std::vector<std::wstring> trace() const {
    std::vector<std::wstring> lines;
    for (const Call& c : calls_) lines.push_back(line(c));
    return lines;
  }

  static std::wstring describe(const Variant& v);

 private:
  static std::wstring line(const Call& c) {
    std::wstring text = kind_word(c.kind) + L" ";
    if (!c.object.empty()) text += c.object + L".";
    text += c.member;
    const bool put = c.kind == InvokeKind::PropertyPut || c.kind == InvokeKind::PropertyPutRef;
    const size_t listed = put && !c.args.empty() ? c.args.size() - 1 : c.args.size();
    if (listed > 0) {
      text += L"(";
      for (size_t i = 0; i < listed; ++i) text += (i ? L", " : L"") + describe(c.args[i]);
      text += L")";
    }
    if (put && !c.args.empty()) text += L" = " + describe(c.args.back());
    return text;
  }

  static std::wstring kind_word(InvokeKind k) {
    switch (static_cast<uint16_t>(k)) {
      case 1: return L"call";
      case 2: return L"propget";
      case 3: return L"get";
      case 4: return L"let";
      case 8: return L"set";
      default: return L"kind" + std::to_wstring(static_cast<uint16_t>(k));
    }
  }

  std::vector<Call> calls_;
};

class FakeDispatch : public Dispatch {
 public:
  using Handler = std::function<Variant(std::span<Argument>)>;

  // How one member answers each kind of call.
  class Member {
   public:
    // Each takes a value to return or a handler called with the arguments
    // (which may write by-ref arguments, throw pendrel::Error, or return
    // nothing for Empty). get() answers reads (PropertyGet, also as part of
    // Method | PropertyGet); call() answers Method; let()/set() the puts.
    template <class A> Member& get(A&& answer) { return on(InvokeKind::PropertyGet, std::forward<A>(answer)); }
    template <class A> Member& call(A&& answer) { return on(InvokeKind::Method, std::forward<A>(answer)); }
    template <class A> Member& let(A&& answer) { return on(InvokeKind::PropertyPut, std::forward<A>(answer)); }
    template <class A> Member& set(A&& answer) { return on(InvokeKind::PropertyPutRef, std::forward<A>(answer)); }

    // Every kind of call to this member raises the error.
    Member& raise(Error error) {
      auto thrower = [error](std::span<Argument>) -> Variant { throw error; };
      for (InvokeKind k : kAllKinds) handlers_[k] = thrower;
      return *this;
    }

    template <class A>
    Member& on(InvokeKind kind, A&& answer) {
      if constexpr (std::is_invocable_v<A, std::span<Argument>>) {
        using R = std::invoke_result_t<A, std::span<Argument>>;
        if constexpr (std::is_void_v<R>) {
          handlers_[kind] = [f = std::forward<A>(answer)](std::span<Argument> args) mutable {
            f(args);
            return Variant();
          };
        } else {
          handlers_[kind] = [f = std::forward<A>(answer)](std::span<Argument> args) mutable {
            return Variant(f(args));
          };
        }
      } else {
        handlers_[kind] = [v = Variant(std::forward<A>(answer))](std::span<Argument>) { return v; };
      }
      return *this;
    }

   private:
    friend class FakeDispatch;
    static constexpr InvokeKind kAllKinds[] = {InvokeKind::PropertyGet, InvokeKind::Method,
                                               InvokeKind::PropertyPut, InvokeKind::PropertyPutRef};

    const Handler* find(InvokeKind requested) const {
      for (InvokeKind k : kAllKinds) {
        auto it = handlers_.find(k);
        if (it != handlers_.end() && has_kind(requested, k)) return &it->second;
      }
      return nullptr;
    }

    std::wstring name;
    DispId id = 0;
    bool named = true;
    std::map<InvokeKind, Handler> handlers_;
  };

  explicit FakeDispatch(std::wstring name = {}, std::shared_ptr<CallLog> log = nullptr)
      : name_(std::move(name)), log_(log ? std::move(log) : std::make_shared<CallLog>()) {}

  const std::wstring& name() const { return name_; }
  CallLog& log() { return *log_; }
  const std::shared_ptr<CallLog>& shared_log() const { return log_; }
  std::vector<std::wstring> trace() const { return log_->trace(); }
  // Another fake whose calls land in the same log.
  std::shared_ptr<FakeDispatch> sibling(std::wstring name) const {
    return std::make_shared<FakeDispatch>(std::move(name), log_);
  }

  // The member of that name, registered on first use. Ids are given in order
  // from 1000 unless one is passed.
  Member& on(std::wstring_view name, DispId id) {
    Member& m = on(name);
    by_id_.erase(m.id);
    m.id = id;
    by_id_[id] = &m;
    return m;
  }
  Member& on(std::wstring_view name) {
    for (auto& m : members_)
      if (m->named && equal_no_case(m->name, name)) return *m;
    return add(std::wstring(name), next_id_++);
  }
  // A member known only by its dispatch id.
  Member& on_id(DispId id) {
    auto it = by_id_.find(id);
    return it != by_id_.end() ? *it->second : add(L"#" + std::to_wstring(id), id, false);
  }

  // A read/write property holding a value: reads return it, let and set
  // replace it with the last argument.
  Member& property(std::wstring_view name, Variant initial = {}) {
    auto held = std::make_shared<Variant>(std::move(initial));
    values_[std::wstring(name)] = held;
    auto store = [held](std::span<Argument> args) {
      if (args.empty()) throw Error::vb(vb_error::kArgumentNotOptional);
      *held = args.back().value;
    };
    return on(name).get([held](std::span<Argument>) { return *held; }).let(store).set(store);
  }
  // The current value of a property() member.
  Variant value(std::wstring_view name) const {
    for (const auto& [n, v] : values_)
      if (equal_no_case(n, name)) return *v;
    throw Error::vb(vb_error::kObjectDoesNotSupportMember);
  }

  // A collection: the default member (id 0, also named Item) finds an item by
  // text key without regard to case or by number from `base`; anything else
  // raises "Invalid procedure call or argument" (5). Count answers the size.
  void items(std::vector<std::pair<std::wstring, Variant>> entries, int base = 1) {
    auto list = std::make_shared<std::vector<std::pair<std::wstring, Variant>>>(std::move(entries));
    on(L"Item", kDispIdValue).get([list, base](std::span<Argument> args) {
      if (args.empty()) throw Error::vb(vb_error::kArgumentNotOptional);
      const Variant& key = args[0].value;
      if (key.kind() == Variant::Kind::Text) {
        for (const auto& [k, v] : *list)
          if (equal_no_case(k, key.text())) return v;
      } else if (key.is_numeric()) {
        const int64_t i = int64_t{key.to_long()} - base;
        if (i >= 0 && i < static_cast<int64_t>(list->size())) return (*list)[i].second;
      }
      throw Error::vb(vb_error::kInvalidProcedureCall);
    });
    on(L"Count").get([list](std::span<Argument>) { return static_cast<int32_t>(list->size()); });
  }

  DispId id_of(std::wstring_view name) override {
    for (auto& m : members_)
      if (m->named && equal_no_case(m->name, name)) return m->id;
    throw Error::vb(vb_error::kObjectDoesNotSupportMember);
  }

  Variant invoke(DispId id, InvokeKind kind, std::span<Argument> args) override {
    auto it = by_id_.find(id);
    Call call{name_, it != by_id_.end() ? it->second->name : L"#" + std::to_wstring(id), kind, {}};
    for (const Argument& a : args) call.args.push_back(a.value);
    log_->add(std::move(call));
    const Handler* handler = it != by_id_.end() ? it->second->find(kind) : nullptr;
    if (!handler) throw Error::vb(vb_error::kObjectDoesNotSupportMember);
    return (*handler)(args);
  }

 private:
  Member& add(std::wstring name, DispId id, bool named = true) {
    auto m = std::make_unique<Member>();
    m->name = std::move(name);
    m->id = id;
    m->named = named;
    by_id_[id] = m.get();
    members_.push_back(std::move(m));
    return *members_.back();
  }

  std::wstring name_;
  std::shared_ptr<CallLog> log_;
  std::vector<std::unique_ptr<Member>> members_;
  std::map<DispId, Member*> by_id_;
  std::map<std::wstring, std::shared_ptr<Variant>> values_;
  DispId next_id_ = 1000;
};

// How often `line` occurs in a trace.
inline int count_of(const std::vector<std::wstring>& lines, std::wstring_view line) {
  int n = 0;
  for (const std::wstring& l : lines) n += l == line;
  return n;
}

// The lines of a trace that start with one of the prefixes, in order.
inline std::vector<std::wstring> starting_with(const std::vector<std::wstring>& lines,
                                               std::initializer_list<std::wstring_view> prefixes) {
  std::vector<std::wstring> picked;
  for (const std::wstring& line : lines)
    for (std::wstring_view prefix : prefixes)
      if (line.starts_with(prefix)) {
        picked.push_back(line);
        break;
      }
  return picked;
}

inline std::wstring CallLog::describe(const Variant& v) {
  switch (v.kind()) {
    case Variant::Kind::Empty: return L"Empty";
    case Variant::Kind::Null: return L"Null";
    case Variant::Kind::Missing: return L"Missing";
    case Variant::Kind::Text: return L"\"" + v.text() + L"\"";
    case Variant::Kind::Date: return L"#" + v.to_text() + L"#";
    case Variant::Kind::Bytes: return L"Bytes(" + std::to_wstring(v.bytes().size()) + L")";
    case Variant::Kind::Object: {
      if (!v.object()) return L"Nothing";
      auto fake = std::dynamic_pointer_cast<FakeDispatch>(v.object());
      return fake && !fake->name().empty() ? fake->name() : L"Object";
    }
    default: return v.to_text();
  }
}

}  // namespace pendrel::fakes
