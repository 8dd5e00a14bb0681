/* A DLL of the program's bitness that is no port driver: it exports neither Inp32 nor
   Out32. It is also the DLL that NeedsMissingDll.c needs. */
__declspec(dllexport) int NoPortDriverValue(void) {
    return 0x5A;
}
