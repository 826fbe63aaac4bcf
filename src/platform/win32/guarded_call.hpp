#pragma once
// Calls foreign code (a library's entry point) so that a structured exception it
// does not handle itself (an access violation, a division by zero, an exception it
// raises and leaves unhandled) ends only the call, not the process. The call runs
// with a handler frame of our own on the thread's exception chain: the library's own
// handlers see its exceptions first, as they would without us, and only what would
// otherwise end the process reaches ours.

#include <cstdint>
#include <string>

#include "platform/win32/win32_api.hpp"

namespace instalator::platform::win32 {

// A structured exception that left the guarded call.
struct Fault {
    std::uint32_t code = 0;             // the exception code (EXCEPTION_ACCESS_VIOLATION...)
    std::uintptr_t address = 0;         // where it was raised
    std::uint32_t parameterCount = 0;   // how many of parameters the exception carried (at most 2 kept)
    std::uintptr_t parameters[2] = {};  // for access violations: the kind of access and its address
};

// The outcome of a guarded call: its result, or the exception that ended it.
struct GuardedResult {
    bool faulted = false;
    HRESULT status = S_OK;  // when not faulted
    Fault fault;            // when faulted
};

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

// Calls entry once on this thread. The thread's exception chain is as before on
// return, whichever way the call ended; frames the library left on it are dropped.
// After a fault the library's own unwind handlers have run (except after a stack
// overflow, where there is no stack left for them).
GuardedResult CallGuarded(EntryPoint entry);

// The exception in words, for a message: code, name, the access of an access
// violation, and the module and offset it was raised at, e.g. "exception C0000005
// (access violation writing address 00000000) at bad.dll+00001234". The module must
// still be loaded for its name to be found.
std::string FaultText(const Fault& fault);

}  // namespace instalator::platform::win32
