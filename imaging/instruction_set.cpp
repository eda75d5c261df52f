#include "imaging/instruction_set.h"

#include "imaging/kernels.h"

#include <atomic>

#if LUCIDFRAME_X86_KERNELS
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#endif

namespace {

#if LUCIDFRAME_X86_KERNELS

struct CpuidRegisters {
    unsigned eax, ebx, ecx, edx;
};

CpuidRegisters Cpuid(unsigned leaf, unsigned subleaf)
{
    CpuidRegisters r{};
#if defined(_MSC_VER)
    int regs[4];
    __cpuidex(regs, static_cast<int>(leaf), static_cast<int>(subleaf));
    r = {static_cast<unsigned>(regs[0]), static_cast<unsigned>(regs[1]), static_cast<unsigned>(regs[2]),
         static_cast<unsigned>(regs[3])};
#else
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
#endif
    return r;
}

// The enabled-state mask XCR0: which register files the operating system saves
// on a context switch.
unsigned long long EnabledRegisterState()
{
#if defined(_MSC_VER)
    return _xgetbv(0);
#else
    unsigned eax, edx;
    __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
    return static_cast<unsigned long long>(edx) << 32 | eax;
#endif
}

// AVX2 needs the instructions (leaf 7) and an operating system that saves the
// full YMM registers (OSXSAVE, then XCR0 bits 1 and 2); without the latter the
// upper halves would be lost on a thread switch.
bool DetectAvx2()
{
    if (Cpuid(0, 0).eax < 7)
        return false;
    unsigned const features = Cpuid(1, 0).ecx;
    bool const osSavesState = (features & (1u << 27)) != 0;
    bool const hasAvx = (features & (1u << 28)) != 0;
    if (!osSavesState || !hasAvx || (EnabledRegisterState() & 0x6) != 0x6)
        return false;
    return (Cpuid(7, 0).ebx & (1u << 5)) != 0;
}

constexpr ImagingKernels kSse2Kernels{InstructionSet::Sse2, RecoverAlphaSse2, CompositeOnCheckerboardSse2};
constexpr ImagingKernels kAvx2Kernels{InstructionSet::Avx2, RecoverAlphaAvx2, CompositeOnCheckerboardAvx2};

#endif

constexpr ImagingKernels kScalarKernels{InstructionSet::Scalar, RecoverAlphaScalar, CompositeOnCheckerboardScalar};

ImagingKernels const* KernelsFor(InstructionSet set)
{
    switch (set) {
#if LUCIDFRAME_X86_KERNELS
    case InstructionSet::Sse2:
        return &kSse2Kernels;
    case InstructionSet::Avx2:
        return &kAvx2Kernels;
#endif
    default:
        return &kScalarKernels;
    }
}

InstructionSet BestInstructionSet()
{
    for (InstructionSet set : {InstructionSet::Avx2, InstructionSet::Sse2})
        if (ProcessorSupports(set))
            return set;
    return InstructionSet::Scalar;
}

std::atomic<ImagingKernels const*> activeKernels{nullptr};

} // namespace

const char* InstructionSetName(InstructionSet set)
{
    switch (set) {
    case InstructionSet::Sse2:
        return "sse2";
    case InstructionSet::Avx2:
        return "avx2";
    default:
        return "scalar";
    }
}

bool ProcessorSupports(InstructionSet set)
{
    switch (set) {
    case InstructionSet::Scalar:
        return true;
#if LUCIDFRAME_X86_KERNELS
    case InstructionSet::Sse2:
        return true; // the baseline of every x86 build
    case InstructionSet::Avx2: {
        static bool const hasAvx2 = DetectAvx2();
        return hasAvx2;
    }
#endif
    default:
        return false;
    }
}

ImagingKernels const& ActiveKernels()
{
    ImagingKernels const* kernels = activeKernels.load(std::memory_order_acquire);
    if (kernels == nullptr) {
        kernels = KernelsFor(BestInstructionSet());
        activeKernels.store(kernels, std::memory_order_release);
    }
    return *kernels;
}

InstructionSet ActiveInstructionSet()
{
    return ActiveKernels().set;
}

bool UseInstructionSet(InstructionSet set)
{
    if (!ProcessorSupports(set))
        return false;
    activeKernels.store(KernelsFor(set), std::memory_order_release);
    return true;
}
