#pragma once
// What a map needs to know of a soil mapping unit to colour it: the WRB 2022 code of its dominant
// soil and whether the current query selects it. The attribute database object answers both.

class TSmuLookup {
public:
    // The answer of WrbCodeOf for an SMU id that the index does not hold.
    static constexpr int kNoWrbCode = -1;

    virtual ~TSmuLookup() = default;
    virtual int WrbCodeOf(int smuId) const = 0;
    // True while a selection is drawn and it holds the id.
    virtual bool IsSelected(int smuId) const = 0;
};
