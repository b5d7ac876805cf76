// pendrel::Dispatch over any COM object's IDispatch, and the way back: a
// C++ Dispatch seen by COM clients as a late-bound IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "core/dispatch.h"
#include "platform/win32/com_ptr.h"

namespace pendrel::win32 {

// A Dispatch that calls object by name or dispatch id. Names are looked up
// with GetIDsOfNames and, for objects that only answer through IDispatchEx
// (VBScript class objects), GetDispID; objects with IDispatchEx are called
// through InvokeEx. A failure raised by the object (DISP_E_EXCEPTION) becomes
// an Error with its number (the VB number for VB errors), description and
// source; other failures an Error with the HRESULT.
// Null gives a null pointer; the IDispatch made by to_idispatch for a C++
// object gives that object back.
DispatchPtr wrap_dispatch(IDispatch* object);

// The IDispatch behind a Dispatch made by wrap_dispatch; null for any other.
com_ptr<IDispatch> com_dispatch_of(const DispatchPtr& object);

// What a COM client gets for object: the IDispatch behind it when it was made
// by wrap_dispatch, otherwise a late-bound IDispatch (no type information)
// that forwards GetIDsOfNames to id_of and Invoke to invoke. Null for null.
com_ptr<IDispatch> to_idispatch(const DispatchPtr& object);

}  // namespace pendrel::win32
