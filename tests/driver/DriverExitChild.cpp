// Helper of the driver tests: programs flash byte 0 with 0x5A through the
// simulated inpout32.dll and ends without unloading it, so that the process
// end is what has to save the chip file named on the command line.
#include <cstdlib>
#include <string>

#include "tests/driver/DllProgrammer.h"
#include "tests/driver/DriverLibrary.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    SetRuntimeEnv("TAMBERLO_SIM_CHIP_FILE", argv[1]);
    DriverLibrary dll;
    if (!dll.loaded()) {
        return 3;
    }
    drivertest::DllProgrammer programmer(dll, 0x378);
    programmer.ResetPulse();
    if (programmer.Transfer({0xAC, 0x53, 0x00, 0x00})[2] != 0x53) {
        return 1;
    }
    programmer.Transfer({0x40, 0x00, 0x00, 0x5A});
    ::Sleep(10);
    dll.LeaveLoaded(); // RESET stays low: nothing is saved before the process ends
    return 0;
}
