/* Sample program for the ATmega chips: a 512-byte table in flash, sent to PORTB byte by
   byte. It spans several flash pages, so a page that is not written shows in the chip. */
#include <avr/io.h>
#include <avr/pgmspace.h>

#define B(n) (unsigned char)((n) * 37 + 11)
#define R4(n) B(n), B((n) + 1), B((n) + 2), B((n) + 3)
#define R16(n) R4(n), R4((n) + 4), R4((n) + 8), R4((n) + 12)
#define R64(n) R16(n), R16((n) + 16), R16((n) + 32), R16((n) + 48)
#define R256(n) R64(n), R64((n) + 64), R64((n) + 128), R64((n) + 192)

static const unsigned char table[512] PROGMEM = {R256(0), R256(256)};

int main(void) {
    DDRB = 0xFF;
    for (;;) {
        for (unsigned i = 0; i < sizeof table; ++i)
            PORTB = pgm_read_byte(&table[i]);
    }
}
