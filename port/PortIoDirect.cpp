// x86 in/out on the 16-bit I/O address. Windows NT and later (and Wine) raise
// EXCEPTION_PRIV_INSTRUCTION for in/out unless something granted this process port
// access, and may grant some addresses and refuse others. A vectored exception
// handler catches exactly that fault at our two port instructions, steps over the
// one-byte instruction (a refused read gives 0xFF) and records the refusal, so the
// program can tell the user instead of crashing. Each access tries the port afresh.
#include "port/PortIoDirect.h"

#include "port/CpuContext.h"

// The two port instructions live in plain assembly with global labels so the
// handler can recognise their addresses. The address and value come in the calling
// convention of the build: on the stack (32-bit cdecl) or in ecx and edx (64-bit).
extern "C" {
unsigned TamberloPortInByte(unsigned address);
void TamberloPortOutByte(unsigned address, unsigned value);
}

#ifdef _WIN64
asm(R"(
    .text
    .globl TamberloPortInByte
    .globl TamberloPortInInstruction
TamberloPortInByte:
    movl %ecx, %edx
    xorl %eax, %eax
TamberloPortInInstruction:
    inb %dx, %al
    ret

    .globl TamberloPortOutByte
    .globl TamberloPortOutInstruction
TamberloPortOutByte:
    movl %edx, %eax
    movl %ecx, %edx
TamberloPortOutInstruction:
    outb %al, %dx
    ret
)");
#else
asm(R"(
    .text
    .globl _TamberloPortInByte
    .globl _TamberloPortInInstruction
_TamberloPortInByte:
    movl 4(%esp), %edx
    xorl %eax, %eax
_TamberloPortInInstruction:
    inb %dx, %al
    ret

    .globl _TamberloPortOutByte
    .globl _TamberloPortOutInstruction
_TamberloPortOutByte:
    movl 4(%esp), %edx
    movl 8(%esp), %eax
_TamberloPortOutInstruction:
    outb %al, %dx
    ret
)");
#endif

namespace {

constexpr ULONG_PTR kPortInstructionBytes = 1; // "in al, dx" (EC) and "out dx, al" (EE)
constexpr ULONG_PTR kRefusedReadValue = 0xFF;

// The one port state kept outside CPortAccess: a vectored exception handler gets only the
// faulting thread's context, so what it records, and the handler itself, are the process's.
volatile LONG g_refused = FALSE;
PVOID g_handler = nullptr;

LONG CALLBACK RefusedPortInstruction(PEXCEPTION_POINTERS info) {
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* context = info->ContextRecord;
    const ULONG_PTR at = InstructionPointer(context);
    const ULONG_PTR inAt = CodeAddress(TamberloPortInInstruction);
    if (at != inAt && at != CodeAddress(TamberloPortOutInstruction))
        return EXCEPTION_CONTINUE_SEARCH;
    if (at == inAt)
        Accumulator(context) = (Accumulator(context) & ~ULONG_PTR{0xFF}) | kRefusedReadValue;
    InstructionPointer(context) = at + kPortInstructionBytes;
    g_refused = TRUE;
    return EXCEPTION_CONTINUE_EXECUTION;
}

void InstallHandlerOnce() {
    if (g_handler == nullptr)
        g_handler = ::AddVectoredExceptionHandler(1, RefusedPortInstruction);
}

} // namespace

int DirectPortIn(WORD address) {
    InstallHandlerOnce();
    return static_cast<int>(TamberloPortInByte(address) & 0xFF);
}

void DirectPortOut(WORD address, int value) {
    InstallHandlerOnce();
    TamberloPortOutByte(address, static_cast<unsigned>(value) & 0xFF);
}

BOOL DirectPortRefused() {
    return g_refused;
}

void ForgetDirectPortRefusal() {
    g_refused = FALSE;
}
