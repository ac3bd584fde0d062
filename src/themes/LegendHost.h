#pragma once
// What a legend model needs of the window that shows it: the status text for long work, the
// frame's classification and colour-ramp controls, and the SMU lookup. The map window's host
// interface extends it; tests use a fake or pass none.

#include <QString>

class TSmuLookup;

class TLegendHost {
public:
    virtual ~TLegendHost() = default;

    // First status-bar panel. Progress texts go here and are cleared with an empty text. The text
    // must become visible at once (repaint the panel), since it is shown before long work that
    // processes no events.
    virtual void ShowStatusText(const QString& text) = 0;

    // Show the legend's method (0..4) and class count in the frame's classification controls.
    virtual void SetClassificationControls(int method, int classCount) = 0;
    // Select an item of the colour-ramp box without applying it.
    virtual void SetColorRampIndex(int index) = 0;

    // The SMU-to-soil index and the query selection; null while the database is not loaded
    // (every SMU is then drawn as no data).
    virtual const TSmuLookup* SmuLookup() const = 0;
};
