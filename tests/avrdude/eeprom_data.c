/* EEPROM contents built as avr-gcc users build them: variables in the .eeprom section,
 * which avr-objcopy turns into a .eep file for the avrdude EEPROM tests. */
#include <avr/eeprom.h>
#include <stdint.h>

uint8_t EEMEM greeting[] = "tamberlo EEPROM";
uint16_t EEMEM calibration = 0x1234;
uint32_t EEMEM serialNumber = 0xA5C3E1F0UL;
uint8_t EEMEM table[8] = {0x00, 0x11, 0x22, 0x33, 0xFF, 0x44, 0x55, 0x66};

int main(void) {
    return eeprom_read_byte(&greeting[0]) + eeprom_read_byte(&table[1]);
}
