#pragma once
// Keeps a read-only file mapping from killing the program when the file shrinks under it.
//
// Reading a mapped page that lies beyond the end of a truncated file raises SIGBUS. While a
// range is guarded, a fault inside it replaces the lost page by a page of zeros and marks the
// range as faulted; the read then goes on and finds zeros (no data). Faults outside every
// guarded range go to the handler that was installed before, so other faults still end the
// program as they would without the guard.

#include <cstddef>

class TMappingGuard {
public:
    // Guards [begin, begin + size). A guard that finds no free slot guards nothing, and
    // Faults() then stays 0 (the caller's size checks still apply).
    TMappingGuard(const void* begin, std::size_t size);
    ~TMappingGuard();
    TMappingGuard(const TMappingGuard&) = delete;
    TMappingGuard& operator=(const TMappingGuard&) = delete;

    bool Active() const { return m_slot >= 0; }
    // How many reads of the range found a page that the file no longer holds.
    unsigned Faults() const;
    bool Faulted() const { return Faults() > 0; }

private:
    int m_slot = -1;
};
