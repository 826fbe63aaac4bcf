#include "platform/win32/guarded_call.hpp"

#include <string>

#include "common/strings.hpp"
#include "platform/win32/wide.hpp"

#if !defined(__i386__)
#error "The guard uses the frame-based exception chain of 32-bit x86 Windows."
#endif

namespace instalator::platform::win32 {
namespace {

// Our handler frame on the exception chain, in the stack frame of CallGuarded, above
// (at higher addresses than) everything the guarded call puts on the stack.
struct GuardFrame {
    EXCEPTION_REGISTRATION_RECORD registration;  // first: the system hands its address to the handler
    void* landing[5];                            // __builtin_setjmp's buffer
    bool faulted;
    Fault fault;
};

// The head of this thread's exception chain, at FS:[0].
EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

// Makes head the head of the chain once everything stored before is in memory.
void SetChainHead(EXCEPTION_REGISTRATION_RECORD* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

// Unwinds the frames above frame (the library's and the dispatcher's own), running
// their unwind handlers; frame is then the head of the chain. RtlUnwind on x86 does
// not keep ebx, esi and edi for its caller, so every register is given up here and
// ebp and ebx are saved around the call.
void UnwindTo(EXCEPTION_REGISTRATION_RECORD* frame, EXCEPTION_RECORD* record) {
    void* unwind = reinterpret_cast<void*>(&::RtlUnwind);
    asm volatile(
        "pushl %%ebp\n\t"
        "pushl %%ebx\n\t"
        "pushl $0\n\t"  // ReturnValue
        "pushl %2\n\t"  // ExceptionRecord
        "pushl $0\n\t"  // TargetIp
        "pushl %1\n\t"  // TargetFrame
        "call *%0\n\t"
        "popl %%ebx\n\t"
        "popl %%ebp"
        : "+a"(unwind), "+S"(frame), "+D"(record)
        :
        : "ecx", "edx", "memory", "cc");
}

void Keep(Fault& fault, const EXCEPTION_RECORD& record) {
    fault.code = record.ExceptionCode;
    fault.address = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress);
    fault.parameterCount = record.NumberParameters < 2 ? record.NumberParameters : 2;
    for (std::uint32_t i = 0; i < fault.parameterCount; ++i) fault.parameters[i] = record.ExceptionInformation[i];
}

// Called by the system for an exception that the guarded code did not handle, and
// again while an unwind passes our frame (nothing to do then). Keeps the first
// exception, unwinds the library's frames and lands back in RunWithFrame. A stack
// overflow leaves too little stack for the unwind handlers: it lands at once, and
// RunWithFrame drops the frames from the chain. So does an exception raised by an
// unwind handler.
EXCEPTION_DISPOSITION NTAPI GuardHandler(EXCEPTION_RECORD* record, void* establisher, CONTEXT*, void*) {
    if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) return ExceptionContinueSearch;
    GuardFrame* const frame = static_cast<GuardFrame*>(establisher);
    if (!frame->faulted) {
        frame->faulted = true;
        Keep(frame->fault, *record);
        if (record->ExceptionCode != EXCEPTION_STACK_OVERFLOW) UnwindTo(&frame->registration, record);
    }
    __builtin_longjmp(frame->landing, 1);
}

// Calls entry with frame at the head of the chain and puts the chain back as it was,
// whether entry returns or the handler lands here. Out of line: the landing restores
// this function's own stack frame.
__attribute__((noinline)) void RunWithFrame(EntryPoint entry, GuardFrame& frame, HRESULT& status) {
    frame.registration.Next = ChainHead();
    frame.registration.Handler = &GuardHandler;
    if (__builtin_setjmp(frame.landing) == 0) {
        SetChainHead(&frame.registration);
        status = entry();
    }
    SetChainHead(frame.registration.Next);
}

std::string Hex(std::uintptr_t value) { return common::HexText(static_cast<std::uint32_t>(value), 8); }

const char* ExceptionName(std::uint32_t code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION: return "access violation";
        case EXCEPTION_IN_PAGE_ERROR: return "page not readable";
        case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
        case EXCEPTION_INT_OVERFLOW: return "integer overflow";
        case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "floating-point division by zero";
        case EXCEPTION_FLT_INVALID_OPERATION: return "invalid floating-point operation";
        case EXCEPTION_FLT_OVERFLOW: return "floating-point overflow";
        case EXCEPTION_FLT_UNDERFLOW: return "floating-point underflow";
        case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
        case EXCEPTION_PRIV_INSTRUCTION: return "privileged instruction";
        case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "array bounds exceeded";
        case EXCEPTION_DATATYPE_MISALIGNMENT: return "misaligned data";
        case EXCEPTION_BREAKPOINT: return "breakpoint";
        case EXCEPTION_SINGLE_STEP: return "single step";
        case EXCEPTION_GUARD_PAGE: return "guard page";
        case EXCEPTION_INVALID_HANDLE: return "invalid handle";
        default: return nullptr;
    }
}

// "reading address 00000000" for an access violation; empty for other exceptions.
std::string AccessText(const Fault& fault) {
    if ((fault.code != EXCEPTION_ACCESS_VIOLATION && fault.code != EXCEPTION_IN_PAGE_ERROR) ||
        fault.parameterCount < 2)
        return {};
    const char* kind = fault.parameters[0] == 0 ? "reading" : fault.parameters[0] == 1 ? "writing"
                     : fault.parameters[0] == 8 ? "executing"
                                                : "accessing";
    return std::string(kind) + " address " + Hex(fault.parameters[1]);
}

// "module.dll+offset" when the address lies in a loaded module, else "address X".
std::string LocationText(std::uintptr_t address) {
    MEMORY_BASIC_INFORMATION region{};
    wchar_t name[MAX_PATH];
    if (::VirtualQuery(reinterpret_cast<const void*>(address), &region, sizeof region) != 0 &&
        region.Type == MEM_IMAGE &&
        ::GetModuleFileNameW(static_cast<HMODULE>(region.AllocationBase), name, MAX_PATH) != 0)
        return common::FileNamePart(Narrow(name)) + "+" +
               Hex(address - reinterpret_cast<std::uintptr_t>(region.AllocationBase));
    return "address " + Hex(address);
}

}  // namespace

GuardedResult CallGuarded(EntryPoint entry) {
    GuardFrame frame{};
    GuardedResult result;
    RunWithFrame(entry, frame, result.status);
    result.faulted = frame.faulted;
    if (result.faulted) result.fault = frame.fault;
    return result;
}

std::string FaultText(const Fault& fault) {
    std::string details;
    if (const char* name = ExceptionName(fault.code)) details = name;
    const std::string access = AccessText(fault);
    if (!access.empty()) details += " " + access;
    std::string text = "exception " + Hex(fault.code);
    if (!details.empty()) text += " (" + details + ")";
    return text + " at " + LocationText(fault.address);
}

}  // namespace instalator::platform::win32
