#pragma once
// The "Go To" dialog: the user types a place; OK is taken only for a place that can be read, and
// the dialog says what was wrong with any other text.

#include "app/PlaceText.h"
#include "app/PromptDialog.h"

class QLineEdit;

class TGoToForm : public TPromptDialog {
    Q_OBJECT
public:
    explicit TGoToForm(QWidget* parent = nullptr);

    // The place read from the text when the dialog ended with OK.
    const TPlace& Place() const { return m_place; }

    QLineEdit* edtPlace = nullptr;

    void accept() override;

private:
    TPlace m_place;
};
