#pragma once
// TIntIntList: pairs of integers (key, value) kept contiguously, found by a binary search on the
// key. The attribute database keeps its SMU to WRB2 code index in one.

#include "db/IntList.h"

struct TIntIntItem {
    int Key = 0;
    int Value = 0;
};

class TIntIntList : public TIntKeyedList<TIntIntItem, TIntIntList> {
public:
    static int KeyOf(const TIntIntItem& item) { return item.Key; }
    int Add(int key, int value) { return TIntKeyedList::Add(TIntIntItem{key, value}); }
    using TIntKeyedList::Add;
    // The pair at `index`; the caller keeps the index within 0 .. Count() - 1.
    const TIntIntItem& Get(int index) const { return m_items[index]; }
};
