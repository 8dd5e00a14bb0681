// TAMBERLO_VERSION_LINE is the About box's line, taken from res/tamberlo.rc by the build.
#include "cli/Usage.h"

namespace {

const char kUsage[] =
    "Usage: tamberlo-cli [OPTION]... OPERATION...\n"
    "Programs an AT90S8535, AT90S4434, ATmega8535, ATmega16 or ATmega32 in circuit\n"
    "through the printer port. The operations run in the order given; the first that\n"
    "fails ends the run, and its exit status is the program's.\n"
    "\n"
    "Operations:\n"
    "  --erase              erase the chip: flash, EEPROM and lock bits\n"
    "  --blank              check that every flash word reads 0xFF\n"
    "  --program FILE       write the Intel HEX file FILE into the flash\n"
    "  --verify FILE        compare the flash with FILE\n"
    "  --auto FILE          erase, blank check, program and verify FILE\n"
    "  --lock 1|2           lock 1: no more programming; lock 2: no reading either\n"
    "  --read-chip          print the chip, signature, lock bits, fuses, calibration\n"
    "  --fuses LOW:HIGH     write the ATmega fuse bytes, two hex bytes such as E1:D9\n"
    "  --eeprom-write FILE  write the bytes of the Intel HEX file FILE to the EEPROM\n"
    "  --eeprom-read FILE   read the whole EEPROM into FILE as Intel HEX\n"
    "  --flash-read FILE    read the used flash into FILE as Intel HEX\n"
    "\n"
    "Options:\n"
    "  --lpt 1|2|3          the printer port (default: tamberlo.exe's, else 1)\n"
    "  --delay-bit N        slow the serial clock, 1 to 10 (default: tamberlo.exe's)\n"
    "  --delay-byte N       lengthen the waits of writes and erase, 1 to 10 (same)\n"
    "  --yes                write --fuses whose clock needs a part on XTAL1/XTAL2\n"
    "  --quiet              print only errors and what --read-chip reads\n"
    "  --help               print this help and end\n"
    "  --version            print the version and end\n"
    "Every option takes its value as --option VALUE or --option=VALUE.\n"
    "\n"
    "Exit status:\n"
    "  0  all done\n"
    "  1  the chip's content differs: Not Blank, Verify Error, an EEPROM byte or the\n"
    "     fuses read back other than written\n"
    "  2  a bad command line, settings file or file\n"
    "  3  the printer port or its driver cannot be used\n"
    "  4  no chip answers\n"
    "  5  the chip refuses the operation: a chip tamberlo does not program, a file\n"
    "     too large for it, --fuses on an AT90S chip, lock bits that forbid it\n";

} // namespace

void PrintUsage(std::FILE* stream) {
    std::fputs(kUsage, stream);
}

const char* VersionLine() {
    return TAMBERLO_VERSION_LINE;
}
