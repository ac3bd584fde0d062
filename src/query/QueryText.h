#pragma once
// The texts of the query window without its widgets: inserting a token into the condition as
// the field list and the operator buttons do, the two tables with their statement starts, and
// the sixteen standard selection colours.

#include <QRgb>
#include <QString>
#include <array>

// The text of the condition box with its caret and selection (positions in characters from 0).
struct TConditionEdit {
    QString Text;
    int Caret = 0;
    int SelectionStart = 0;
    int SelectionLength = 0; // 0: nothing selected
};

// Inserts `token`: a selection is replaced by the token and one space; inside the text the token
// goes in bare at the caret; at the end it is appended between spaces (the double quote bare).
// The result has no selection and its caret after the inserted text.
TConditionEdit InsertToken(const TConditionEdit& edit, const QString& token);

enum class TQueryTable { Smu, Layers };

// "TAMO2_SMU" or "TAMO2_LAYERS".
QString QueryTableName(TQueryTable table);
// The fixed start of the statement shown above the condition.
QString StatementStart(TQueryTable table);
// The condition sent for the table: in the layer table restricted to the dominant soil's first
// depth layer, so that each row found stands for one unit. There the user's condition selects
// rows in a query of its own, whose brackets it cannot close (it is checked to be a whole
// condition alone first, see TSmuQuery): rowid IN (SELECT rowid FROM TAMO2_LAYERS WHERE <condition>)
// AND LAYER="D1" AND SEQUENCE=1.
QString QueryCondition(TQueryTable table, const QString& condition);

struct TNamedColor {
    const char* Name;
    QRgb Rgb; // 0xFFRRGGBB
};
// Black, Maroon, ... White, in the order of the colour box.
const std::array<TNamedColor, 16>& StandardColors();
