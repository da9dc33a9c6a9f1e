#pragma once
// Per-flank measurement state and the four history rows, oldest sample first.

#include <cstdint>
#include <memory>

constexpr uint32_t SIZE_HISTORY = 30000;

struct FlankState {
    uint32_t ulX = 0;        // number of the next live point
    uint32_t ulLength = 5000; // history window, 10 … SIZE_HISTORY
    float fMinY = 0;
    float fMaxY = 1023;
    float fPercent = 100;
    float fZero = 0;
    float fSignal = 0;
    float fThreshold = 0;    // offset above the zero level
    float fFiltered = 0;     // offset above the zero level
    int32_t iArmed = 0;
    uint32_t ulPostCount = 0;
    int16_t sStatCount = 0;
    float fFiltAtMax = 0;
    float fMaxRatio = 0;
    float fThrAtMax = 0;
};

struct FlankHistory {
    float Signal[SIZE_HISTORY];
    float Zero[SIZE_HISTORY];
    float Threshold[SIZE_HISTORY];
    float Filtered[SIZE_HISTORY];
};

// Both flanks: index 0 is flank 1, index 1 flank 2.
struct Flanks {
    Flanks();
    FlankState Flank[2];
    std::unique_ptr<FlankHistory[]> History; // two histories, 960000 bytes

    void Flank_Init();
};
