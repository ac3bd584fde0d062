#pragma once
// What a map needs to know of a soil mapping unit to colour it: the WRB 2022 code of its dominant
// soil and whether the current query selects it. The attribute database object answers both.

#include <atomic>
#include <cstdint>

class TSmuLookup {
public:
    // The answer of WrbCodeOf for an SMU id that the index does not hold.
    static constexpr int kNoWrbCode = -1;

    virtual ~TSmuLookup() = default;
    virtual int WrbCodeOf(int smuId) const = 0;
    // True while a selection is drawn and it holds the id.
    virtual bool IsSelected(int smuId) const = 0;

    // A number no other lookup or index of this program run has had, renewed whenever the codes
    // that WrbCodeOf answers may change. A copy of the codes stays valid while it is the same; an
    // address is no such key, since a new lookup may take the place of one that was freed.
    std::uint64_t IndexGeneration() const { return m_indexGeneration; }

protected:
    TSmuLookup() = default;
    TSmuLookup(const TSmuLookup&) : m_indexGeneration(NextGeneration()) {}
    TSmuLookup& operator=(const TSmuLookup&) {
        m_indexGeneration = NextGeneration();
        return *this;
    }
    // Called by a lookup whose codes have changed.
    void IndexChanged() { m_indexGeneration = NextGeneration(); }

private:
    static std::uint64_t NextGeneration() {
        static std::atomic<std::uint64_t> last{0};
        return ++last;
    }
    std::uint64_t m_indexGeneration = NextGeneration();
};
