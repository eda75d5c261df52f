// A broken build of Lucidframe for the end-to-end suite's check of itself:
// linked with --wrap, every call of RecoverAlpha after the first leaves the
// white copy as it is. The first capture is right; every later one saves the
// window over white, opaque and uncropped (and, its margin seeming full of a
// shadow, at the widest margin). The suite must fail against it.

#include <cstdint>

extern "C" void __real__Z12RecoverAlphaPKjPji(std::uint32_t const* black, std::uint32_t* white, std::int32_t count);

extern "C" void __wrap__Z12RecoverAlphaPKjPji(std::uint32_t const* black, std::uint32_t* white, std::int32_t count)
{
    static bool first = true;
    if (first)
        __real__Z12RecoverAlphaPKjPji(black, white, count);
    first = false;
}
