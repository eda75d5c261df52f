#pragma once

#include <string>

// Whether this program runs under wine rather than on Windows: only there
// does anything restart.
bool RunningUnderWine();

// Every retry of the tests goes through here: it is printed as one
// line starting "retry:" and appended to retries.log beside the test program,
// where the test command counts it. tests/support/wine-run appends its own
// restarts to the same file.
void NoteRetry(std::string const& what);

// Names what the retries that follow belong to, such as the running test;
// each line then starts with it.
void SetRetryContext(std::string const& context);
