#include "app/GoToForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TGoToForm::TGoToForm(QWidget* parent) : QDialog(parent) {
    setObjectName("GoToForm");
    setWindowTitle("Go To");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* prompt = new QLabel("&Place (latitude, longitude):", this);
    edtPlace = new QLineEdit(this);
    edtPlace->setObjectName("edtPlace");
    edtPlace->setPlaceholderText("-3.47, 29.9");
    prompt->setBuddy(edtPlace);
    auto* examples = new QLabel("Decimal degrees, such as -3.47, 29.9, or degrees, minutes and seconds, "
                                "such as 3°28'S 29°54'E.",
                                this);
    examples->setWordWrap(true);
    lblError = new QLabel(this);
    lblError->setObjectName("lblError");
    lblError->setWordWrap(true);
    QPalette red = lblError->palette();
    red.setColor(QPalette::WindowText, QColor(180, 0, 0));
    lblError->setPalette(red);
    lblError->hide();
    // The text goes with every change; the last error stays until the next OK.
    connect(edtPlace, &QLineEdit::textEdited, lblError, &QLabel::hide);

    btnOk = new QPushButton("OK", this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOk, &QPushButton::clicked, this, &TGoToForm::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(edtPlace);
    layout->addWidget(examples);
    layout->addWidget(lblError);
    layout->addStretch();
    layout->addLayout(buttons);
    // Room for the examples on two lines and an error on two more.
    resize(std::max(360, fontMetrics().averageCharWidth() * 52),
           sizeHint().height() + fontMetrics().height() * 2);
}

void TGoToForm::accept() {
    m_place = ParsePlace(edtPlace->text());
    if (!m_place.Ok) {
        lblError->setText(m_place.Error);
        lblError->show();
        edtPlace->setFocus();
        edtPlace->selectAll();
        return;
    }
    QDialog::accept();
}
