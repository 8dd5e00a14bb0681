/* Sample AT90S8535 program for the real-file HEX tests: sends a flash-resident table over the
   UART from an interrupt, so the image holds vectors, code, initialised data and constants. */
#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <stdint.h>

static const uint8_t kSine[64] PROGMEM = {
    128, 140, 152, 165, 176, 188, 198, 208, 218, 226, 234, 240, 245, 250, 253, 254,
    255, 254, 253, 250, 245, 240, 234, 226, 218, 208, 198, 188, 176, 165, 152, 140,
    128, 115, 103, 90,  79,  67,  57,  47,  37,  29,  21,  15,  10,  5,   2,   1,
    0,   1,   2,   5,   10,  15,  21,  29,  37,  47,  57,  67,  79,  90,  103, 115};

static volatile uint8_t position;
static char banner[] = "tamberlo sample\r\n";

ISR(UART_UDRE_vect) {
    UDR = pgm_read_byte(&kSine[position++ & 63]);
}

int main(void) {
    UBRR = 25;
    UCR = (1 << TXEN);
    for (const char* p = banner; *p != '\0'; ++p) {
        while (!(USR & (1 << UDRE))) {
        }
        UDR = (uint8_t)*p;
    }
    UCR |= (1 << UDRIE);
    sei();
    for (;;) {
    }
}
