#pragma once
// TIntStrList: an append-only list of (code, value) texts, one per row of a domain table. Despite
// its name the code is a text; lookups take the first exact match.

#include <QString>
#include <functional>
#include <vector>

struct TIntStrItem {
    QString Code;
    QString Value;
};

class TIntStrList {
public:
    using TNotify = std::function<void(TIntStrList&)>;

    TNotify OnChange;
    TNotify OnChanging;

    int Count() const { return static_cast<int>(m_items.size()); }
    int Capacity() const { return m_capacity; }

    // Appends and returns the new item's position.
    int Add(const TIntStrItem& item);
    // Linear search, case-sensitive and byte for byte; `index` is set only when found.
    bool IndexOf(const QString& code, int& index) const;
    // Copies the item into `item` when the index is in range; otherwise `item` is left alone.
    void Get(int index, TIntStrItem& item) const;

private:
    void Changed();
    void Changing();
    void Grow();

    std::vector<TIntStrItem> m_items;
    int m_capacity = 0;
    int m_updateCount = 0; // notifications are sent only while it is 0; nothing changes it
};
