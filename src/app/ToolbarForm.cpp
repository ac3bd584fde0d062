#include "app/ToolbarForm.h"

#include "common/Dialogs.h"
#include "settings/WindowPlacement.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

TToolbarForm::TToolbarForm(QWidget* main, QWidget* view, QWidget* data, QWidget* dataPoint, QWidget* parent)
    : QDialog(parent), m_bars{main, view, data, dataPoint} {
    setObjectName("ToolbarForm");
    setWindowTitle("Toolbars");
    // 150 pixels wide, or more where the window manager's caption needs it: the title in a bold
    // font (as most title bars draw it) beside an icon and up to three buttons.
    QFont bold = font();
    bold.setBold(true);
    const int titleBar = std::max(24, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const int width = std::max(150, QFontMetrics(bold).horizontalAdvance(windowTitle()) + 4 * titleBar + 48);
    setFixedSize(width, 141);

    CheckListBox = new QListWidget(this);
    CheckListBox->setObjectName("CheckListBox");
    CheckListBox->setGeometry(0, 0, width, 105);
    btnOk = new QPushButton("&OK", this);
    btnOk->setObjectName("btnOk");
    btnOk->setGeometry(width - 75 - 6, 141 - 25 - 6, 75, 25);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    RestoreWindowPlacement(*this);
    const char* captions[4] = {"Main", "View", "Data", "Data Point"};
    for (int i = 0; i < 4; ++i) {
        auto* item = new QListWidgetItem(captions[i], CheckListBox);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(m_bars[i]->isVisibleTo(m_bars[i]->parentWidget()) ? Qt::Checked : Qt::Unchecked);
    }
}

bool TToolbarForm::ShowAndApply() {
    const int result = Dialogs::Exec(*this);
    SaveWindowPlacement(*this);
    if (result != QDialog::Accepted)
        return false;
    for (int i = 0; i < 4; ++i)
        m_bars[i]->setVisible(CheckListBox->item(i)->checkState() == Qt::Checked);
    return true;
}

void TToolbarForm::closeEvent(QCloseEvent* event) {
    SaveWindowPlacement(*this);
    QDialog::closeEvent(event);
}
