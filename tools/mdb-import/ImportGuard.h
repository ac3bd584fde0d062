#pragma once
// Bounds on the import: a damaged Access file can make the reader library loop without end,
// print warnings without end, grow without end or crash. The guard gives the import a
// no-progress limit, a memory limit and a count of what the reader prints, and turns each of
// these ends (and a crash) into an "error: ..." line, removal of the half-written output and
// exit status 1.

#include <cstddef>
#include <string>

struct TImportLimits {
    int StallSeconds = 20;         // no sign of progress for this long ends the import
    long MemoryLimitMb = 2048;     // address space of the whole process
    long ReaderLineLimit = 100000; // lines the reader library may print before the file counts as damaged
    int ReaderLinesShown = 20;     // of those, how many are passed on to standard error
};

namespace ImportGuard {

// Moves the reader library's standard output and standard error into a pipe that a thread
// counts and filters, returns the descriptor that stays standard output for the protocol,
// sets the memory limit, and starts the no-progress watch. Call once, first thing.
// Throws std::runtime_error when it cannot set itself up.
int Start(const TImportLimits& limits);

// The file that a failure removes (the half-written output). Set before it is created.
void SetOutputFile(const std::string& path);

// A sign of progress: the no-progress watch starts again.
void Tick();

// Suspends the no-progress watch while the program's own work runs (writing the SQLite file),
// which the reader cannot hold up.
class TPause {
public:
    TPause();
    ~TPause();
    TPause(const TPause&) = delete;
    TPause& operator=(const TPause&) = delete;
};

// Waits until everything the reader printed so far has been counted, then returns the first
// line that tells of a page it could not read, or an empty text.
std::string ReadErrorSoFar();

// Writes "error: MESSAGE" to standard error, removes the output file and ends the process
// with status 1. Safe from any thread.
[[noreturn]] void Fail(const std::string& message);

// Fails with the message of an import that met its memory limit while reading `where`.
[[noreturn]] void FailOutOfMemory(const std::string& where);

// Passes the summary of the reader's lines (how many were left out) to standard error.
void Finish();

} // namespace ImportGuard
