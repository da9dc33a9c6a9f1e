#pragma once
// Frame codec: hex digits, words and the one-byte checksum of a frame body.

#include <cstdint>

char Hex_Digit(uint16_t v);
int16_t Hex_Value(char c);
// The word written by the four characters at pos. The caller makes sure
// that they lie inside the text.
uint16_t Hex_Word(const char *text, uint16_t pos);
uint16_t Calc_KS(const uint16_t *words, uint16_t count);
// 0 when the zero-terminated body is correct, -9 when it is not.
int16_t Check_KS(const char *body);
