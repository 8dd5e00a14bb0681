/* Sample ATmega32 program for the real-file HEX tests (mcu: atmega32): a 24 KB wave table in
   flash, played to PORTC, so the image reaches far past the first 8 KB of the flash. */
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <stdint.h>

#define W(n) (uint16_t)((n) * 40503u + 7u)
#define W4(n) W(n), W((n) + 1), W((n) + 2), W((n) + 3)
#define W16(n) W4(n), W4((n) + 4), W4((n) + 8), W4((n) + 12)
#define W64(n) W16(n), W16((n) + 16), W16((n) + 32), W16((n) + 48)
#define W256(n) W64(n), W64((n) + 64), W64((n) + 128), W64((n) + 192)
#define W1024(n) W256(n), W256((n) + 256), W256((n) + 512), W256((n) + 768)
#define W4096(n) W1024(n), W1024((n) + 1024), W1024((n) + 2048), W1024((n) + 3072)

static const uint16_t table[3 * 4096] PROGMEM = {W4096(0), W4096(4096), W4096(8192)};

int main(void) {
    DDRC = 0xFF;
    for (;;) {
        for (uint16_t i = 0; i < sizeof table / sizeof table[0]; ++i)
            PORTC = (uint8_t)pgm_read_word(&table[i]);
    }
}
