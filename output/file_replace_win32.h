#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <span>

// Where a save's bytes went.
struct FileWrite {
    bool written;
    std::filesystem::path file; // the destination, or the numbered name beside it
    DWORD error;                // why nothing was written
};

// Writes `bytes` to `destination` without ever writing the destination in
// place: the bytes go to a new temporary file beside it, which no other
// program may open meanwhile, and that file then takes the destination's
// place. Where the system has it, the replacement uses POSIX semantics, which
// replace a destination that others hold open with delete sharing.
//
// What becomes of a save whose destination stays held.
enum class WhenHeld {
    Fail,           // nothing is written; the error says why
    WriteBeside,    // the destination is kept, and the bytes go under the next free name
    FailIfExists,   // no destination is ever replaced, held or not: an existing one fails the
                    // write with ERROR_ALREADY_EXISTS, and the caller picks another name
};

// A destination that others hold without delete sharing (a virus scanner, a
// search indexer, a sync client, an open viewer) is waited for, about two
// seconds at most, in short steps. When it is still held, or read-only, it is
// kept as it is, and with WhenHeld::WriteBeside the bytes go beside it under
// the next free name, "NAME (2).png", "NAME (3).png", ... The temporary file
// never outlives the call.
FileWrite WriteFileReplacing(std::filesystem::path const& destination, std::span<const std::uint8_t> bytes,
                             WhenHeld whenHeld);
