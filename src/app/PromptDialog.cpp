#include "app/PromptDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

TPromptDialog::TPromptDialog(QWidget* parent, const TTexts& texts, int errorLines) : QDialog(parent) {
    setObjectName(texts.Name);
    setWindowTitle(texts.Title);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto* prompt = new QLabel(texts.Prompt, this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(texts.EditName);
    m_edit->setPlaceholderText(texts.Placeholder);
    prompt->setBuddy(m_edit);
    auto* examples = new QLabel(texts.Examples, this);
    examples->setWordWrap(true);
    lblError = new QLabel(this);
    lblError->setObjectName("lblError");
    lblError->setWordWrap(true);
    QPalette red = lblError->palette();
    red.setColor(QPalette::WindowText, QColor(180, 0, 0));
    lblError->setPalette(red);
    lblError->hide();
    // The error goes with every change of the text; the last one stays until the next OK.
    connect(m_edit, &QLineEdit::textEdited, lblError, &QLabel::hide);

    btnOk = new QPushButton("OK", this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_edit);
    layout->addWidget(examples);
    layout->addWidget(lblError);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(std::max(360, fontMetrics().averageCharWidth() * 52),
           sizeHint().height() + fontMetrics().height() * errorLines);
}

void TPromptDialog::ShowError(const QString& error) {
    lblError->setText(error);
    lblError->show();
    m_edit->setFocus();
    m_edit->selectAll();
}
