#pragma once

// Internal to the imaging library: the per-instruction-set forms of the pixel
// kernels behind RecoverAlpha and CompositeOnCheckerboard. Every form gives the
// same bytes as the scalar one for every input.

#include "imaging/checkerboard.h"
#include "imaging/instruction_set.h"

#include <cstdint>

using RecoverAlphaKernel = void (*)(const std::uint32_t* black, std::uint32_t* white, std::int32_t count);
using CompositeKernel = void (*)(std::uint32_t* pixels, std::int32_t width, std::int32_t height);

struct ImagingKernels {
    InstructionSet set;
    RecoverAlphaKernel recoverAlpha;
    CompositeKernel composite;
};

// The kernels of the active instruction set.
ImagingKernels const& ActiveKernels();

void RecoverAlphaScalar(const std::uint32_t* black, std::uint32_t* white, std::int32_t count);
void CompositeOnCheckerboardScalar(std::uint32_t* pixels, std::int32_t width, std::int32_t height);

// The square colour at (x, y): light where the row half and the column half agree.
inline std::uint32_t CheckerColourAt(std::int32_t x, std::int32_t y)
{
    return (x % 16) / 8 == (y % 16) / 8 ? kCheckerLight : kCheckerDark;
}

#if LUCIDFRAME_X86_KERNELS
void RecoverAlphaSse2(const std::uint32_t* black, std::uint32_t* white, std::int32_t count);
void RecoverAlphaAvx2(const std::uint32_t* black, std::uint32_t* white, std::int32_t count);
void CompositeOnCheckerboardSse2(std::uint32_t* pixels, std::int32_t width, std::int32_t height);
void CompositeOnCheckerboardAvx2(std::uint32_t* pixels, std::int32_t width, std::int32_t height);
#endif
