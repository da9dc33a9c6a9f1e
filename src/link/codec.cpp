#include "link/codec.h"

#include <cstring>

char Hex_Digit(uint16_t v)
{
    v &= 0x0F;
    return static_cast<char>(v < 10 ? v + 48 : v + 55);
}

int16_t Hex_Value(char c)
{
    if (c >= 'A' && c <= 'F')
        return static_cast<int16_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<int16_t>(c - 'a' + 10);
    if (c <= '9')
        return static_cast<int16_t>(c - '0'); // negative below '0'
    return 0;
}

uint16_t Hex_Word(const char *text, uint16_t pos)
{
    uint16_t w = 0;
    for (int i = 0; i < 4; ++i)
        w = static_cast<uint16_t>(w + (static_cast<uint16_t>(Hex_Value(text[pos + i])) << (12 - 4 * i)));
    return w;
}

uint16_t Calc_KS(const uint16_t *words, uint16_t count)
{
    uint16_t s = static_cast<uint16_t>((words[0] >> 8) + (words[0] & 0xFF));
    for (uint16_t i = 1; i < count; ++i)
        s = static_cast<uint16_t>(s + words[i]);
    return static_cast<uint16_t>(0x10000 - s);
}

size_t Encode_Frame(char cSOF, const uint16_t *words, uint16_t n, char *out)
{
    size_t len = 0;
    out[len++] = cSOF;
    for (uint16_t i = 0; i + 1 < n; ++i)
        for (int shift = 12; shift >= 0; shift -= 4)
            out[len++] = Hex_Digit(uint16_t(words[i] >> shift) & 0xF);
    const uint16_t ks = words[n - 1];
    out[len++] = Hex_Digit(uint16_t(ks >> 4) & 0xF);
    out[len++] = Hex_Digit(ks & 0xF);
    out[len++] = '\r';
    out[len++] = '\n';
    return len;
}

int16_t Check_KS(const char *body)
{
    const size_t n = std::strlen(body);
    // A body holds at least one word and the two checksum digits; anything
    // shorter is a damaged frame and no digit of it is read.
    if (n % 2 != 0 || n < 6)
        return -9;
    const uint16_t w = Hex_Word(body, 0);
    uint16_t s = static_cast<uint16_t>((w >> 8) + (w & 0xFF));
    // Every group read lies inside the body: for a body of 4k characters the
    // last group overlaps the checksum digits, which is how such a body has
    // always been summed.
    for (size_t pos = 4; pos + 2 < n; pos += 4)
        s = static_cast<uint16_t>(s + Hex_Word(body, static_cast<uint16_t>(pos)));
    const uint8_t expected = static_cast<uint8_t>(0x10000 - s);
    const uint8_t received = static_cast<uint8_t>(Hex_Value(body[n - 2]) * 16 + Hex_Value(body[n - 1]));
    return received == expected ? 0 : -9;
}
