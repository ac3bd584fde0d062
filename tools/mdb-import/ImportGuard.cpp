#include "ImportGuard.h"

#include <glib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace ImportGuard {
namespace {

using TClock = std::chrono::steady_clock;

TImportLimits gLimits;
int gErrorFd = STDERR_FILENO; // the real standard error, for our own lines
int gPipeWrite = -1;          // where the reader's output goes (descriptors 1 and 2)
int gPipeRead = -1;

// The output file's name, fixed before the file exists: the crash path reads it without locks.
char gOutputPath[4096] = {};
std::atomic<bool> gFailing{false};

std::atomic<long long> gLastTick{0};
std::atomic<int> gPauses{0};

// What the reader printed, as counted by the monitor thread.
std::mutex gMutex;
std::condition_variable gCounted;
long gLines = 0;
long gSyncSeen = 0;
long gSyncSent = 0;
std::string gReadError;
std::string gMemoryError;

// Markers the main thread writes into the pipe to learn that the monitor has caught up.
constexpr char kSyncMark = '\x01';

long long Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now().time_since_epoch()).count();
}

void WriteAll(int fd, const char* text, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, text, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return;
        text += done;
        size -= static_cast<std::size_t>(done);
    }
}

// Async-signal-safe: the crash handlers use it.
[[noreturn]] void FailRaw(const char* message) {
    if (gFailing.exchange(true)) {
        // Another thread is ending the process already.
        for (;;)
            ::pause();
    }
    WriteAll(gErrorFd, "error: ", 7);
    WriteAll(gErrorFd, message, std::strlen(message));
    WriteAll(gErrorFd, "\n", 1);
    if (gOutputPath[0])
        ::unlink(gOutputPath);
    ::_exit(1);
}

// Lines of the reader that tell of pages it could not read or data it could not follow.
bool IsReadError(const std::string& line) {
    static const char* const kSigns[] = {"beyond EOF",
                                         "Unable to read page",
                                         "Unable to seek",
                                         "reading page",
                                         "from map doesn't match",
                                         "is not a valid table definition page",
                                         "Unable to find page row",
                                         "Unable to read table",
                                         "Unable to read columns",
                                         "Invalid page buffer",
                                         "Invalid data location",
                                         "incorrect memo length",
                                         "unrecognized usage map"};
    for (const char* sign : kSigns)
        if (line.find(sign) != std::string::npos)
            return true;
    return false;
}

std::string LinesNote() {
    if (gLines <= gLimits.ReaderLinesShown)
        return {};
    return " (the Access reader printed " + std::to_string(gLines) + " lines; the first " +
           std::to_string(gLimits.ReaderLinesShown) + " are shown above)";
}

void CountLine(const std::string& line) {
    if (!line.empty() && line[0] == kSyncMark) {
        std::lock_guard lock(gMutex);
        gSyncSeen = std::atol(line.c_str() + 1);
        gCounted.notify_all();
        return;
    }
    long lines = 0;
    {
        std::lock_guard lock(gMutex);
        lines = ++gLines;
        if (gReadError.empty() && IsReadError(line))
            gReadError = line;
        if (gMemoryError.empty() && line.find("Out of memory") != std::string::npos)
            gMemoryError = line;
    }
    if (lines > gLimits.ReaderLineLimit)
        Fail("the file is damaged: the Access reader reports problems without end (more than " +
             std::to_string(gLimits.ReaderLineLimit) + " lines)");
    if (lines <= gLimits.ReaderLinesShown) {
        const std::string shown = line + "\n";
        WriteAll(gErrorFd, shown.data(), shown.size());
    }
}

void MonitorReader() {
    std::string line;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(gPipeRead, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                CountLine(line);
                line.clear();
            } else if (line.size() < 4096) {
                // A line without end is cut, never kept whole.
                line += buffer[i];
            }
        }
    }
}

void WatchProgress() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (gPauses.load() > 0)
            continue;
        if (Now() - gLastTick.load() > gLimits.StallSeconds * 1000LL) {
            std::string note;
            {
                std::lock_guard lock(gMutex);
                note = LinesNote();
            }
            Fail("the file is damaged: the Access reader made no progress for " +
                 std::to_string(gLimits.StallSeconds) + " seconds and was stopped" + note);
        }
    }
}

void OnCrash(int signal) {
    // Only async-signal-safe calls from here on.
    const char* text = "the file is damaged: the Access reader failed";
    switch (signal) {
    case SIGSEGV:
    case SIGBUS:
        text = "the file is damaged: the Access reader failed on it (invalid memory access)";
        break;
    case SIGABRT:
    case SIGTRAP:
        text = "the file is damaged or too large: the Access reader gave up on it (it may have run "
               "out of memory)";
        break;
    default:
        break;
    }
    FailRaw(text);
}

void OnLibraryLog(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    const std::string text = message ? message : "";
    if (level & (G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL)) {
        if (text.find("allocate") != std::string::npos)
            FailOutOfMemory("the file");
        Fail("the Access reader failed: " + text);
    }
    // Anything else is one more line of the reader, counted like the others.
    std::fprintf(stderr, "%s: %s\n", domain ? domain : "", text.c_str());
}

} // namespace

int Start(const TImportLimits& limits) {
    gLimits = limits;
    gLastTick = Now();
    const int protocol = ::dup(STDOUT_FILENO);
    const int errors = ::dup(STDERR_FILENO);
    int pipeFds[2] = {-1, -1};
    if (protocol < 0 || errors < 0 || ::pipe(pipeFds) != 0)
        throw std::runtime_error("cannot set up the watch on the Access reader");
    std::fflush(stdout);
    std::fflush(stderr);
    gErrorFd = errors;
    gPipeRead = pipeFds[0];
    gPipeWrite = pipeFds[1];
    ::dup2(gPipeWrite, STDOUT_FILENO);
    ::dup2(gPipeWrite, STDERR_FILENO);
    // The reader's lines reach the monitor as they are printed.
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    std::thread(MonitorReader).detach();
    std::thread(WatchProgress).detach();

    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP})
        std::signal(signal, OnCrash);
    g_log_set_default_handler(OnLibraryLog, nullptr);
    g_log_set_handler("GLib", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL), OnLibraryLog,
                      nullptr);

    // Set last: the threads above need their stacks first.
    if (limits.MemoryLimitMb > 0) {
        const rlim_t bytes = static_cast<rlim_t>(limits.MemoryLimitMb) * 1024 * 1024;
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    return protocol;
}

void SetOutputFile(const std::string& path) {
    if (path.size() < sizeof gOutputPath)
        std::memcpy(gOutputPath, path.c_str(), path.size() + 1);
}

void Tick() {
    gLastTick.store(Now(), std::memory_order_relaxed);
}

TPause::TPause() {
    ++gPauses;
}

TPause::~TPause() {
    Tick();
    --gPauses;
}

std::string ReadErrorSoFar() {
    if (gPipeWrite < 0)
        return {};
    std::fflush(stdout);
    std::fflush(stderr);
    long mark = 0;
    {
        std::lock_guard lock(gMutex);
        mark = ++gSyncSent;
    }
    char line[32];
    const int length = std::snprintf(line, sizeof line, "%c%ld\n", kSyncMark, mark);
    WriteAll(gPipeWrite, line, static_cast<std::size_t>(length));
    std::unique_lock lock(gMutex);
    gCounted.wait_for(lock, std::chrono::seconds(10), [&] { return gSyncSeen >= mark; });
    if (!gMemoryError.empty())
        return gMemoryError;
    return gReadError;
}

[[noreturn]] void Fail(const std::string& message) {
    FailRaw(message.c_str());
}

[[noreturn]] void FailOutOfMemory(const std::string& where) {
    Fail("the import ran out of memory (its limit is " + std::to_string(gLimits.MemoryLimitMb) +
         " MB) while reading " + where + ": the file is damaged or too large");
}

void Finish() {
    ReadErrorSoFar();
    std::lock_guard lock(gMutex);
    const std::string note = LinesNote();
    if (!note.empty()) {
        const std::string line = note.substr(1) + "\n";
        WriteAll(gErrorFd, line.data(), line.size());
    }
}

} // namespace ImportGuard
