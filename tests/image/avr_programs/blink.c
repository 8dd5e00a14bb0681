/* Sample AT90S8535 program for the real-file HEX tests: toggles PORTB with a busy delay. */
#define F_CPU 4000000UL
#include <avr/io.h>
#include <util/delay.h>

int main(void) {
    DDRB = 0xFF;
    for (;;) {
        PORTB ^= 0xFF;
        _delay_ms(250);
    }
}
