#include "flank/flank_state.h"

#include <algorithm>

Flanks::Flanks() : History(new FlankHistory[2]())
{
}

void Flanks::Flank_Init()
{
    for (FlankState &f : Flank) {
        f.fPercent = 100;
        f.ulLength = 5000;
        f.ulX = 0;
        f.fMinY = 0;
        f.fMaxY = 1023;
    }
    for (int m = 0; m < 2; ++m) {
        FlankHistory &h = History[m];
        for (float *row : {h.Signal, h.Zero, h.Threshold, h.Filtered})
            std::fill(row, row + SIZE_HISTORY, 0.0f);
    }
}
