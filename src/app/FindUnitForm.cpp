#include "app/FindUnitForm.h"

#include <QLineEdit>

std::optional<TUnitSearch> UnitSearchOf(const QString& text) {
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return std::nullopt;
    bool number = false;
    const qlonglong id = typed.toLongLong(&number);
    if (number)
        return TUnitSearch{"TAMO2_SMU", QString("TAMO2_SMU_ID = %1").arg(id)};
    // The text is matched literally: its quotes, wildcards and escape character are escaped.
    QString literal = typed;
    literal.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_").replace('\'', "''");
    return TUnitSearch{"TAMO2_LAYERS", QString("WRB2_NAME LIKE '%%1%' ESCAPE '\\'").arg(literal)};
}

TFindUnitForm::TFindUnitForm(QWidget* parent)
    : TPromptDialog(parent,
                    {"FindUnitForm", "edtUnit", "Find Unit", "&SMU id or part of a soil name:", "Vertic",
                     "An id such as 4023 finds that unit; a text such as Vertic finds every unit with a "
                     "soil whose name holds it."},
                    1),
      edtUnit(Edit()) {}

QString TFindUnitForm::Text() const {
    return edtUnit->text().trimmed();
}

void TFindUnitForm::accept() {
    const std::optional<TUnitSearch> search = UnitSearchOf(edtUnit->text());
    if (!search) {
        ShowError("Type an SMU id or part of a soil name.");
        return;
    }
    m_search = *search;
    QDialog::accept();
}
