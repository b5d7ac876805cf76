// pendrel::Variant <-> VARIANT at the COM boundary.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "core/variant.h"

namespace pendrel::win32 {

// Writes value into out, an out-parameter: what out held is neither read nor
// freed, since a caller may hand over an uninitialised slot. Missing becomes
// VT_ERROR DISP_E_PARAMNOTFOUND, Bytes a VT_ARRAY|VT_UI1 vector, an object its
// IDispatch (see to_idispatch). On failure out is left untouched.
void to_variant(const Variant& value, VARIANT* out);

// The same for an in/out VARIANT that holds a value of its owner's: the old
// content is cleared once the new one is made.
void replace_variant(const Variant& value, VARIANT* in_out);

// The value of a VARIANT a client handed over. By-reference variants are read
// through. Integer types other than VT_I2/VT_I4, currency and decimal become
// Int32 when they hold a whole number within 32 bits and Double otherwise;
// VT_R4 becomes Double. Types with no such kind (other arrays, records,
// VT_ERROR other than a missing argument, an object without IDispatch) raise
// a type mismatch (13).
Variant from_variant(const VARIANT& value);

}  // namespace pendrel::win32
