/* A port driver DLL that needs e2e_no_port_driver.dll: copied without it, Windows finds it
   but cannot load it, as an InpOut32 whose own dependency is missing. */
__declspec(dllimport) int NoPortDriverValue(void);

__declspec(dllexport) short __stdcall Inp32(short port) {
    return (short)(NoPortDriverValue() + port);
}

__declspec(dllexport) void __stdcall Out32(short port, short data) {
    (void)port;
    (void)data;
}
