// x86 in/out on the 16-bit I/O address. Windows NT and later (and Wine) raise
// EXCEPTION_PRIV_INSTRUCTION for in/out unless something granted this process port
// access, and may grant some addresses and refuse others. A vectored exception
// handler catches exactly that fault at our two port instructions, steps over the
// one-byte instruction (a refused read gives 0xFF) and records the refusal, so the
// program can tell the user instead of crashing. Each access tries the port afresh.
#include "link/PortIoDirect.h"

// The two port instructions live in plain assembly with global labels so the
// handler can recognise their addresses. cdecl: the address (and value) on the stack.
extern "C" {
unsigned TamberloPortInByte(unsigned address);
void TamberloPortOutByte(unsigned address, unsigned value);
extern const unsigned char TamberloPortInInstruction[];
extern const unsigned char TamberloPortOutInstruction[];
}

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

namespace {

constexpr DWORD kPortInstructionBytes = 1; // "in al, dx" (EC) and "out dx, al" (EE)
constexpr DWORD kRefusedReadValue = 0xFF;

volatile LONG g_refused = FALSE;
PVOID g_handler = nullptr;

LONG CALLBACK RefusedPortInstruction(PEXCEPTION_POINTERS info) {
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_PRIV_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* context = info->ContextRecord;
    const auto eip = static_cast<DWORD>(context->Eip);
    const auto inAt = reinterpret_cast<DWORD>(TamberloPortInInstruction);
    const auto outAt = reinterpret_cast<DWORD>(TamberloPortOutInstruction);
    if (eip != inAt && eip != outAt)
        return EXCEPTION_CONTINUE_SEARCH;
    if (eip == inAt)
        context->Eax = (context->Eax & ~DWORD{0xFF}) | kRefusedReadValue;
    context->Eip = eip + kPortInstructionBytes;
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
