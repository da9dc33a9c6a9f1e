#pragma once
// Frame codec: hex digits, words and the one-byte checksum of a frame body.

#include <cstddef>
#include <cstdint>

char Hex_Digit(uint16_t v);
int16_t Hex_Value(char c);
// The word written by the four characters at pos. The caller makes sure
// that they lie inside the text.
uint16_t Hex_Word(const char *text, uint16_t pos);
uint16_t Calc_KS(const uint16_t *words, uint16_t count);
// The characters of a command of n words (the last one its checksum word)
// as they go on the line: the start character, words 0 … n-2 as four hex
// digits each, the checksum word's low byte as two, CR, LF. out must hold
// 4n + 4 characters; returns how many were written.
size_t Encode_Frame(char cSOF, const uint16_t *words, uint16_t n, char *out);
// 0 when the zero-terminated body is correct, -9 when it is not.
int16_t Check_KS(const char *body);
