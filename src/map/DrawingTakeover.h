#pragma once
// Which drawing of a map window is in charge. A drawing started while another runs (a redraw
// from the events processed during a drawing, a synchronisation, a resize) takes over: the older
// one stops at its next check and leaves the ending to the newer one. Replacing the bitmap or the
// legend model, or closing the window, also ends the drawing in progress.

// Held by a shared pointer, so that a drawing whose window went away during its event
// processing can still ask (and learn that it must stop).
class TDrawingTakeover {
public:
    struct TTicket {
        int Drawing = 0;
        int Invalidations = 0;
    };

    // A new drawing begins and is in charge from now on.
    TTicket Begin();
    // Still the drawing in charge, on the same bitmap and model, in a living window.
    bool Current(const TTicket& ticket) const;
    // The drawing ends. True when it was the one in charge (it then ends the drawing state of the
    // window); false when a newer drawing took over or the window is gone.
    bool End(const TTicket& ticket);
    // The bitmap or the legend model was replaced: a drawing in progress must not paint further.
    void Invalidate() { ++m_invalidations; }
    // The window is being destroyed.
    void Abandon();
    bool Alive() const { return m_alive; }

private:
    int m_counter = 0;
    int m_active = 0; // the drawing in charge, 0 when none runs
    int m_invalidations = 0;
    bool m_alive = true;
};
