#include "app/AboutForm.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr char kAcknowledgements[] =
    "This program is built on the following libraries. We thank their authors.\n"
    "\n"
    "Qt 6 (widgets, SQL, printing, image formats) - The Qt Company and the Qt Project, "
    "GNU LGPL version 3.\n"
    "SQLite - public domain.\n"
    "shapelib (shapefile reading) - Frank Warmerdam and contributors, MIT licence or GNU LGPL.\n"
    "libzip (raster archive) - Dieter Baron and Thomas Klausner, BSD 3-clause licence; "
    "with zlib - Jean-loup Gailly and Mark Adler, zlib licence.\n"
    "libjpeg-turbo (start-up picture, through Qt's image plug-in) - the libjpeg-turbo project "
    "and the Independent JPEG Group, IJG and BSD-style licences.\n"
    "mdbtools (reading Access databases, in the separate import program) - Brian Bruns and "
    "contributors, GNU LGPL version 2 or later; with GLib, GNU LGPL version 2.1 or later.\n"
    "\n"
    "The world outlines of the demonstration data are from Natural Earth (public domain).";
} // namespace

QString ProgramVersionText() {
    return "Version 2.0 - December 2026";
}

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutForm");
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);

    ProductName = new QLabel("TAMO Soil Database Viewer", panel);
    ProductName->setObjectName("ProductName");
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = new QLabel(ProgramVersionText(), panel);
    Version->setObjectName("Version");
    Copyright = new QLabel("The TAMO Soil Database project", panel);
    Copyright->setObjectName("Copyright");
    Comments = new QLabel("Viewer: the TAMO Viewer development team", panel);
    Comments->setObjectName("Comments");
    memAcknowledgements = new QPlainTextEdit(kAcknowledgements, panel);
    memAcknowledgements->setObjectName("memAcknowledgements");
    memAcknowledgements->setReadOnly(true);

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(8, 6, 8, 8);
    panelLayout->setSpacing(2);
    for (QLabel* label : {ProductName, Version, Copyright, Comments})
        panelLayout->addWidget(label);
    panelLayout->addSpacing(4);
    panelLayout->addWidget(memAcknowledgements, 1);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(panel, 1);
    layout->addLayout(buttons);

    // 365 x 240, or more where this platform's fonts need it.
    setFixedSize(QSize(365, 240).expandedTo(minimumSizeHint()));
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        QRect box(QPoint(), size());
        box.moveCenter(screen->availableGeometry().center());
        move(box.topLeft());
    }
}
