#pragma once

// The imaging operations run on the fastest instruction set the processor
// offers, chosen once on first use. The scalar code is always present: it is
// the reference every vector path must match byte for byte.
enum class InstructionSet { Scalar, Sse2, Avx2 };

// A short lower-case name ("scalar", "sse2", "avx2") for reports and test names.
const char* InstructionSetName(InstructionSet set);

// Whether this build carries the path and this processor (and its operating
// system) can run it.
bool ProcessorSupports(InstructionSet set);

// The path the imaging operations use now.
InstructionSet ActiveInstructionSet();

// For tests and benchmarks: makes the imaging operations use `set` from now on.
// Returns false and changes nothing when the processor cannot run it.
bool UseInstructionSet(InstructionSet set);
