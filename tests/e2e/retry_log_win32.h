#pragma once

#include <string>

// Every retry of the end-to-end tests goes through here: it is printed as one
// line starting "retry:" and appended to retries.log beside the test program,
// where the test command counts it. tests/support/wine-run appends its own
// restarts to the same file.
void NoteRetry(std::string const& what);
