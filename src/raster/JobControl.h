#pragma once
// What a long computation on the raster is given by its caller: a flag that cancels it, checked
// often, and a report of its progress.

#include <atomic>
#include <functional>

struct TJobControl {
    // Set by anyone (another thread too) to stop the job at its next check; may be null.
    const std::atomic<bool>* Cancel = nullptr;
    // Percent done (0..100), called on the thread that started the job, each time it grows.
    std::function<void(int percent)> Progress;
    // Threads to use; 0 for every core.
    int Threads = 0;

    bool Cancelled() const { return Cancel && Cancel->load(std::memory_order_relaxed); }
};
