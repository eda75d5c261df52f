#include "capture/cursor_canvas.h"

void ComplementMonochromeCanvas(std::uint32_t* pixels, std::int64_t count)
{
    for (std::int64_t i = 0; i < count; ++i) {
        if (pixels[i] != 0 && (pixels[i] >> 24) == 0)
            pixels[i] = ~pixels[i];
    }
}
