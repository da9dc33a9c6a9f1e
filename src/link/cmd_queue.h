#pragma once
// The transmit queue: at most 32 commands, at most one per function code.

#include <cstdint>

constexpr uint16_t SIZE_TR_BUF = 1024;
constexpr int16_t SIZE_CMD_QUEUE = 32;

struct CMD_SLOT {
    uint16_t usKey = 0;      // function code; 0 marks an empty slot
    char cSOF = 0;           // start character of the frame
    uint16_t usData[SIZE_TR_BUF] = {}; // words, the checksum word last
    uint16_t usDataLen = 0;  // words used, checksum included
};
