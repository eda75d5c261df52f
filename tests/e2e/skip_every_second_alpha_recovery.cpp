// A broken build of Lucidframe for the end-to-end suite's check of itself:
// linked with --wrap, every second call of RecoverAlpha leaves the white copy
// as it is, so every second capture saves the window over white, opaque and
// uncropped. The suite must fail against it.

#include <cstdint>

extern "C" void __real__Z12RecoverAlphaPKjPji(std::uint32_t const* black, std::uint32_t* white, std::int32_t count);

extern "C" void __wrap__Z12RecoverAlphaPKjPji(std::uint32_t const* black, std::uint32_t* white, std::int32_t count)
{
    static int calls = 0;
    if (++calls % 2 == 1)
        __real__Z12RecoverAlphaPKjPji(black, white, count);
}
