/* Small AVR program used as flash contents by the avrdude tests, built for each chip. */
#include <avr/io.h>

static const unsigned char pattern[] = {0x01, 0x03, 0x07, 0x0F, 0x1F, 0x3F, 0x7F, 0xFF};

int main(void) {
    DDRB = 0xFF;
    for (;;) {
        for (unsigned char i = 0; i < sizeof pattern; ++i) {
            PORTB = pattern[i];
        }
    }
}
