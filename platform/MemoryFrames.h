// The two frames the computer backends keep in memory: backBuffer is drawn into while the other is
// on show.
#ifndef TARVO_PLATFORM_MEMORYFRAMES_H
#define TARVO_PLATFORM_MEMORYFRAMES_H

#include "platform/Platform.h"

#include <cstring>

// Cleared by clear(), which every backend's platformInit() calls before anything is drawn.
struct MemoryFrames {
    uint16_t buffers[2][SCREEN_PIXELS];
    int back = 0;

    // Both cleared, backBuffer on the first.
    void clear()
    {
        std::memset(buffers, 0, sizeof buffers);
        back = 0;
        backBuffer = buffers[back];
    }

    // Moves backBuffer to the other buffer; the frame just drawn, now on show.
    const uint16_t* flip()
    {
        const uint16_t* shown = buffers[back];
        back ^= 1;
        backBuffer = buffers[back];
        return shown;
    }
};

#endif
