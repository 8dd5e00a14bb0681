// The registers of a faulting thread's CPU context that the port-instruction guard
// reads and changes, under one name for the 32-bit (Eip, Eax, Edx) and the 64-bit
// build (Rip, Rax, Rdx). ULONG_PTR is exactly the register's type in each build.
#pragma once
#include <windows.h>

inline ULONG_PTR& InstructionPointer(CONTEXT* context) {
#ifdef _WIN64
    return context->Rip;
#else
    return context->Eip;
#endif
}

inline ULONG_PTR& Accumulator(CONTEXT* context) {
#ifdef _WIN64
    return context->Rax;
#else
    return context->Eax;
#endif
}

inline ULONG_PTR& DataRegister(CONTEXT* context) {
#ifdef _WIN64
    return context->Rdx;
#else
    return context->Edx;
#endif
}

// The address of code as the instruction pointer holds it.
inline ULONG_PTR CodeAddress(const void* code) {
    return reinterpret_cast<ULONG_PTR>(code);
}
