#include "app/DisclaimerForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {
constexpr char kDisclaimer[] =
    "DISCLAIMER\n"
    "\n"
    "The TAMO Soil Database and this viewer are provided as they are, without any warranty, "
    "expressed or implied, of accuracy, completeness or fitness for a particular purpose. The "
    "soil map is a generalised world overview; it does not show the soil of a single field or "
    "site. Its makers accept no liability for any loss or damage "
    "that arises from the use of the data or of the program.\n"
    "\n"
    "The designations used and the presentation of the data do not imply any opinion on the legal "
    "status of any country, territory or area, or on the delimitation of its borders.\n"
    "\n"
    "RESERVATION OF RIGHTS\n"
    "\n"
    "All rights in the database are reserved by its makers. The data may be used, copied and shown "
    "for research, teaching and other non-commercial purposes, provided the source is cited. Any "
    "other use, and the distribution of changed copies of the data, needs their written "
    "permission.\n"
    "\n"
    "CITATION\n"
    "\n"
    "TAMO Soil Database, version 2.0 (2026). World soil mapping units at 30 arc-seconds with the "
    "properties of their component soils and depth layers.";
} // namespace

TDisclaimerForm::TDisclaimerForm(QWidget* parent) : QDialog(parent) {
    setObjectName("disclaimerForm");
    setWindowTitle("Disclaimer");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Memo1 = new QTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    QFont bold = Memo1->font();
    bold.setBold(true);
    Memo1->setFont(bold);
    Memo1->setPlainText(kDisclaimer);
    // Every paragraph centred.
    QTextCursor cursor(Memo1->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(centred);

    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);
    setFixedSize(QSize(563, 399).expandedTo(minimumSizeHint()));
}
