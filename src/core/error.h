// The one error type of the library: an automation error with its number,
// description and source, as a VB or VBScript client sees it in Err.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace pendrel {

// Numbers below 65536 are VB run-time error numbers; they reach a COM client as
// the HRESULT 0x800A0000 + number, so Err.Number shows the VB number. Larger
// magnitudes are HRESULTs carried as they are.
namespace vb_error {
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kObjectVariableNotSet = 91;
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kObjectRequired = 424;
inline constexpr int32_t kCannotCreateObject = 429;
inline constexpr int32_t kObjectDoesNotSupportMember = 438;
inline constexpr int32_t kArgumentNotOptional = 449;
}  // namespace vb_error

class Error : public std::exception {
 public:
  Error(int32_t number, std::wstring description, std::wstring source = {});

  // An error with VB's own description for one of the vb_error numbers.
  static Error vb(int32_t number);

  int32_t number() const noexcept { return number_; }
  const std::wstring& description() const noexcept { return description_; }
  const std::wstring& source() const noexcept { return source_; }

  // The HRESULT a COM client receives for this error.
  int32_t hresult() const noexcept;

  const char* what() const noexcept override { return what_.c_str(); }

 private:
  int32_t number_;
  std::wstring description_;
  std::wstring source_;
  std::string what_;
};

// One step whose failure is ignored: an Error it raises is dropped and the
// caller goes on with its next step. Returns whether the step ran through.
template <class Step>
bool ignore_errors(Step&& step) {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (const Error&) {
    return false;
  }
}

}  // namespace pendrel
