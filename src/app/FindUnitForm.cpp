#include "app/FindUnitForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

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

TFindUnitForm::TFindUnitForm(QWidget* parent) : QDialog(parent) {
    setObjectName("FindUnitForm");
    setWindowTitle("Find Unit");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* prompt = new QLabel("&SMU id or part of a soil name:", this);
    edtUnit = new QLineEdit(this);
    edtUnit->setObjectName("edtUnit");
    edtUnit->setPlaceholderText("Vertic");
    prompt->setBuddy(edtUnit);
    auto* examples = new QLabel("An id such as 4023 finds that unit; a text such as Vertic finds every unit "
                                "with a soil whose name holds it.",
                                this);
    examples->setWordWrap(true);
    lblError = new QLabel(this);
    lblError->setObjectName("lblError");
    lblError->setWordWrap(true);
    QPalette red = lblError->palette();
    red.setColor(QPalette::WindowText, QColor(180, 0, 0));
    lblError->setPalette(red);
    lblError->hide();
    connect(edtUnit, &QLineEdit::textEdited, lblError, &QLabel::hide);

    btnOk = new QPushButton("OK", this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOk, &QPushButton::clicked, this, &TFindUnitForm::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(edtUnit);
    layout->addWidget(examples);
    layout->addWidget(lblError);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(std::max(360, fontMetrics().averageCharWidth() * 52),
           sizeHint().height() + fontMetrics().height());
}

QString TFindUnitForm::Text() const {
    return edtUnit->text().trimmed();
}

void TFindUnitForm::accept() {
    const std::optional<TUnitSearch> search = UnitSearchOf(edtUnit->text());
    if (!search) {
        lblError->setText("Type an SMU id or part of a soil name.");
        lblError->show();
        edtUnit->setFocus();
        return;
    }
    m_search = *search;
    QDialog::accept();
}
