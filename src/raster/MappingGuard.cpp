#include "raster/MappingGuard.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The handler reads this table without locks: every field is a lock-free atomic, and a slot is
// published by its End (non-zero once Begin is set) and withdrawn by clearing End first.
struct TGuardSlot {
    std::atomic<std::uintptr_t> Begin{0};
    std::atomic<std::uintptr_t> End{0};
    std::atomic<unsigned> Faults{0};
    std::atomic<bool> Taken{false};
};

constexpr int kSlots = 64;
TGuardSlot gSlots[kSlots];
std::uintptr_t gPageSize = 4096;
struct sigaction gPrevious {};
std::once_flag gInstalled;

void ForwardToPrevious(int signal, siginfo_t* info, void* context) {
    if (gPrevious.sa_flags & SA_SIGINFO) {
        if (gPrevious.sa_sigaction)
            gPrevious.sa_sigaction(signal, info, context);
        return;
    }
    if (gPrevious.sa_handler == SIG_IGN)
        return;
    if (gPrevious.sa_handler == SIG_DFL) {
        // Returning re-runs the faulting access, which now meets the default action.
        std::signal(signal, SIG_DFL);
        return;
    }
    gPrevious.sa_handler(signal);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (TGuardSlot& slot : gSlots) {
        const std::uintptr_t end = slot.End.load(std::memory_order_acquire);
        const std::uintptr_t begin = slot.Begin.load(std::memory_order_relaxed);
        if (end == 0 || address < begin || address >= end)
            continue;
        // The page is gone from the file: put a page of zeros in its place and let the read go on.
        void* page = reinterpret_cast<void*>(address & ~(gPageSize - 1));
        if (::mmap(page, gPageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED)
            break;
        slot.Faults.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    ForwardToPrevious(signal, info, context);
}

void InstallHandler() {
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pageSize > 0)
        gPageSize = static_cast<std::uintptr_t>(pageSize);
    struct sigaction action {};
    action.sa_sigaction = &OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &gPrevious);
}

} // namespace

TMappingGuard::TMappingGuard(const void* begin, std::size_t size) {
    if (!begin || size == 0)
        return;
    std::call_once(gInstalled, InstallHandler);
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (!gSlots[i].Taken.compare_exchange_strong(expected, true))
            continue;
        const auto first = reinterpret_cast<std::uintptr_t>(begin);
        gSlots[i].Faults.store(0, std::memory_order_relaxed);
        gSlots[i].Begin.store(first, std::memory_order_relaxed);
        gSlots[i].End.store(first + size, std::memory_order_release);
        m_slot = i;
        return;
    }
}

TMappingGuard::~TMappingGuard() {
    if (m_slot < 0)
        return;
    gSlots[m_slot].End.store(0, std::memory_order_release);
    gSlots[m_slot].Begin.store(0, std::memory_order_relaxed);
    gSlots[m_slot].Taken.store(false, std::memory_order_release);
}

unsigned TMappingGuard::Faults() const {
    return m_slot >= 0 ? gSlots[m_slot].Faults.load(std::memory_order_relaxed) : 0;
}
