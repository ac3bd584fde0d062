#include "map/DrawingTakeover.h"

TDrawingTakeover::TTicket TDrawingTakeover::Begin() {
    m_active = ++m_counter;
    return {m_active, m_invalidations};
}

bool TDrawingTakeover::Current(const TTicket& ticket) const {
    return m_alive && m_active == ticket.Drawing && m_invalidations == ticket.Invalidations;
}

bool TDrawingTakeover::End(const TTicket& ticket) {
    if (!m_alive || m_active != ticket.Drawing)
        return false;
    m_active = 0;
    return true;
}

void TDrawingTakeover::Abandon() {
    m_alive = false;
    Invalidate();
}
