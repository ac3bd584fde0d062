#include "query/QueryText.h"

#include <algorithm>

TConditionEdit InsertToken(const TConditionEdit& edit, const QString& token) {
    TConditionEdit result;
    const int length = static_cast<int>(edit.Text.size());
    if (edit.SelectionLength > 0) {
        const int start = std::clamp(edit.SelectionStart, 0, length);
        const int selected = std::min(edit.SelectionLength, length - start);
        result.Text = edit.Text.left(start) + token + " " + edit.Text.mid(start + selected);
        result.Caret = start + static_cast<int>(token.size()) + 1;
    } else if (edit.Caret < length) {
        const int caret = std::max(0, edit.Caret);
        result.Text = edit.Text.left(caret) + token + edit.Text.mid(caret);
        result.Caret = caret + static_cast<int>(token.size());
    } else {
        result.Text = token == "\"" ? edit.Text + token : edit.Text + " " + token + " ";
        result.Caret = static_cast<int>(result.Text.size());
    }
    result.SelectionStart = result.Caret;
    result.SelectionLength = 0;
    return result;
}

QString QueryTableName(TQueryTable table) {
    return table == TQueryTable::Smu ? "TAMO2_SMU" : "TAMO2_LAYERS";
}

QString StatementStart(TQueryTable table) {
    return table == TQueryTable::Smu ? "Select * from TAMO2_SMU where"
                                     : "Select * from TAMO2_LAYERS where LAYER='D1' and SEQUENCE=1 and";
}

QString QueryCondition(TQueryTable table, const QString& condition) {
    if (table == TQueryTable::Smu)
        return condition;
    // A query of its own, so that an "Or" in the user's condition cannot escape the restriction.
    return "rowid IN (SELECT rowid FROM TAMO2_LAYERS WHERE " + condition +
           ") AND LAYER=\"D1\" AND SEQUENCE=1";
}

const std::array<TNamedColor, 16>& StandardColors() {
    static const std::array<TNamedColor, 16> colors{{
        {"Black", 0xFF000000},
        {"Maroon", 0xFF800000},
        {"Green", 0xFF008000},
        {"Olive", 0xFF808000},
        {"Navy", 0xFF000080},
        {"Purple", 0xFF800080},
        {"Teal", 0xFF008080},
        {"Gray", 0xFF808080},
        {"Silver", 0xFFC0C0C0},
        {"Red", 0xFFFF0000},
        {"Lime", 0xFF00FF00},
        {"Yellow", 0xFFFFFF00},
        {"Blue", 0xFF0000FF},
        {"Fuchsia", 0xFFFF00FF},
        {"Aqua", 0xFF00FFFF},
        {"White", 0xFFFFFFFF},
    }};
    return colors;
}
