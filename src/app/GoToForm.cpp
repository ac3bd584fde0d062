#include "app/GoToForm.h"

#include <QLineEdit>

TGoToForm::TGoToForm(QWidget* parent)
    : TPromptDialog(parent,
                    {"GoToForm", "edtPlace", "Go To", "&Place (latitude, longitude):", "-3.47, 29.9",
                     "Decimal degrees, such as -3.47, 29.9, or degrees, minutes and seconds, such as "
                     "3°28'S 29°54'E."},
                    2),
      edtPlace(Edit()) {}

void TGoToForm::accept() {
    m_place = ParsePlace(edtPlace->text());
    if (!m_place.Ok) {
        ShowError(m_place.Error);
        return;
    }
    QDialog::accept();
}
