#pragma once
// The "Find Unit" dialog: the user types an SMU id or part of a soil name; OK is taken only for a
// text that is one of them.

#include "app/PromptDialog.h"

#include <QString>
#include <optional>

class QLineEdit;

// The query that finds the units a text names: the table and the condition, as a query runs them.
struct TUnitSearch {
    QString Table;
    QString Condition;
};

// A whole number finds the unit of that id; any other text the units with a soil (any of their
// components) whose name holds it, in any case. Nothing for a blank text.
std::optional<TUnitSearch> UnitSearchOf(const QString& text);

class TFindUnitForm : public TPromptDialog {
    Q_OBJECT
public:
    explicit TFindUnitForm(QWidget* parent = nullptr);

    // The search of the text, once the dialog ended with OK.
    const TUnitSearch& Search() const { return m_search; }
    QString Text() const;

    QLineEdit* edtUnit = nullptr;

    void accept() override;

private:
    TUnitSearch m_search;
};
