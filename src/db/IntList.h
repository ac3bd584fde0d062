#pragma once
// Growable, contiguous lists with integer keys: TIntList holds integers (the SMU selection) and
// TIntIntList pairs of integers (the SMU to WRB2 code index). Both are searched once per drawn
// raster cell, so Find is a binary search that never allocates.

#include <cstdint>
#include <functional>
#include <vector>

namespace IntListDetail {
// Capacity step of the lists: a quarter above 64 items, 16 from 9 to 64, 4 below.
inline int GrowDelta(int capacity) {
    return capacity > 64 ? capacity / 4 : (capacity > 8 ? 16 : 4);
}
} // namespace IntListDetail

// What Add does with a key that a sorted list already holds.
enum class TDuplicates : std::uint8_t { Ignore = 0, Accept = 1 };

// The shared body of both integer lists; TItem is the stored item, KeyOf gives its key.
template <typename TItem, typename TSelf> class TIntKeyedList {
public:
    using TNotify = std::function<void(TSelf&)>;

    int Count() const { return static_cast<int>(m_items.size()); }
    int Capacity() const { return m_capacity; }
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted) { m_sorted = sorted; }
    TDuplicates Duplicates() const { return m_duplicates; }
    void SetDuplicates(TDuplicates duplicates) { m_duplicates = duplicates; }
    int UpdateCount() const { return m_updateCount; }

    TNotify OnChange;
    TNotify OnChanging;

    // Binary search over a list sorted ascending by key. `index` receives the place of the
    // match, or where the key would go (which may be Count()).
    bool Find(int key, int& index) const {
        int low = 0;
        int high = Count() - 1;
        bool found = false;
        const TItem* items = m_items.data();
        while (low <= high) {
            const int middle = (low + high) / 2;
            const int middleKey = TSelf::KeyOf(items[middle]);
            if (middleKey < key) {
                low = middle + 1;
            } else {
                high = middle - 1;
                if (middleKey == key) {
                    found = true;
                    if (m_duplicates != TDuplicates::Accept)
                        low = middle;
                }
            }
        }
        index = low;
        return found;
    }

    int Add(const TItem& item) {
        int index = Count();
        if (m_sorted) {
            if (Find(TSelf::KeyOf(item), index) && m_duplicates == TDuplicates::Ignore)
                return index;
        }
        InsertItem(index, item);
        return index;
    }

    // Sorts ascending by key; a list that is marked sorted, or holds fewer than two items, is
    // left alone without a notification.
    void Sort() {
        if (m_sorted || Count() < 2)
            return;
        Changing();
        QuickSort(0, Count() - 1);
        Changed();
    }

    const TItem* begin() const { return m_items.data(); }
    const TItem* end() const { return m_items.data() + m_items.size(); }

protected:
    virtual ~TIntKeyedList() = default;

    virtual void Changed() {
        if (m_updateCount == 0 && OnChange)
            OnChange(static_cast<TSelf&>(*this));
    }
    virtual void Changing() {
        if (m_updateCount == 0 && OnChanging)
            OnChanging(static_cast<TSelf&>(*this));
    }

    void InsertItem(int index, const TItem& item) {
        Changing();
        if (Count() == m_capacity)
            Grow();
        m_items.insert(m_items.begin() + index, item);
        Changed();
    }
    void Grow() { SetCapacity(m_capacity + IntListDetail::GrowDelta(m_capacity)); }
    void SetCapacity(int capacity) {
        if (capacity < Count())
            capacity = Count();
        if (capacity < m_capacity) {
            std::vector<TItem> shrunk(m_items.begin(), m_items.end());
            shrunk.reserve(static_cast<std::size_t>(capacity));
            m_items.swap(shrunk);
        } else {
            m_items.reserve(static_cast<std::size_t>(capacity));
        }
        m_capacity = capacity;
    }
    void ClearItems() {
        m_items.clear();
        m_items.shrink_to_fit();
        m_capacity = 0;
    }
    void Exchange(int a, int b) { std::swap(m_items[a], m_items[b]); }

    void QuickSort(int left, int right) {
        int i = left;
        do {
            i = left;
            int j = right;
            const int pivot = TSelf::KeyOf(m_items[(left + right) / 2]);
            do {
                while (TSelf::KeyOf(m_items[i]) < pivot)
                    ++i;
                while (TSelf::KeyOf(m_items[j]) > pivot)
                    --j;
                if (i <= j) {
                    Exchange(i, j);
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (left < j)
                QuickSort(left, j);
            left = i;
        } while (i < right);
    }

    std::vector<TItem> m_items;

private:
    int m_updateCount = 0; // notifications are sent only while it is 0; nothing changes it
    int m_capacity = 0;
    bool m_sorted = false;
    TDuplicates m_duplicates = TDuplicates::Ignore;
};

// A list of integers.
class TIntList : public TIntKeyedList<int, TIntList> {
public:
    static int KeyOf(int item) { return item; }
    int operator[](int index) const { return m_items[index]; }
    void Clear() {
        if (Count() == 0)
            return;
        Changing();
        ClearItems();
        Changed();
    }
};
