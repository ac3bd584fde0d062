#include "db/IntStrList.h"

#include "db/IntList.h"

int TIntStrList::Add(const TIntStrItem& item) {
    Changing();
    if (Count() == m_capacity)
        Grow();
    m_items.push_back(item);
    Changed();
    return Count() - 1;
}

bool TIntStrList::IndexOf(const QString& code, int& index) const {
    for (int i = 0; i < Count(); ++i) {
        if (m_items[static_cast<std::size_t>(i)].Code == code) {
            index = i;
            return true;
        }
    }
    return false;
}

void TIntStrList::Get(int index, TIntStrItem& item) const {
    if (index >= 0 && index < Count())
        item = m_items[static_cast<std::size_t>(index)];
}

void TIntStrList::Changed() {
    if (m_updateCount == 0 && OnChange)
        OnChange(*this);
}

void TIntStrList::Changing() {
    if (m_updateCount == 0 && OnChanging)
        OnChanging(*this);
}

void TIntStrList::Grow() {
    m_capacity += IntListDetail::GrowDelta(m_capacity);
    m_items.reserve(static_cast<std::size_t>(m_capacity));
}
