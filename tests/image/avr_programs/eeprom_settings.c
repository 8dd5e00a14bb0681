/* Sample AT90S8535 program for the real-file HEX tests: settings kept in the EEPROM (EEMEM), so
   avr-objcopy writes an .eep beside the .hex; the program reads them and counts its starts. */
#include <avr/eeprom.h>
#include <avr/io.h>
#include <stdint.h>

struct Settings {
    char name[16];
    uint16_t baudDivisor;
    uint8_t contrast;
    int16_t offsets[8];
};

static struct Settings EEMEM stored = {"tamberlo", 25, 0x5A, {-3, 1, 4, -1, 5, 9, -2, 6}};
static uint8_t EEMEM starts = 0x2A;

int main(void) {
    struct Settings settings;
    eeprom_read_block(&settings, &stored, sizeof settings);
    eeprom_write_byte(&starts, (uint8_t)(eeprom_read_byte(&starts) + 1));
    DDRB = 0xFF;
    PORTB = settings.contrast;
    UBRR = (uint8_t)settings.baudDivisor;
    for (;;) {
    }
}
