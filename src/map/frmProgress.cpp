#include "map/frmProgress.h"

#include "common/Dialogs.h"
#include "raster/Zip.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowContextHelpButtonHint |
                          Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint) {
    setObjectName("frmProgress");
    setWindowTitle("Decompressing ...");
    // Other windows wait while the raster is extracted; this one stays responsive.
    setWindowModality(Qt::ApplicationModal);

    auto* please = new QLabel("Please wait....", this);
    QFont bold = please->font();
    bold.setBold(true);
    please->setFont(bold);
    lblFilename = new QLabel(this);
    lblFilename->setObjectName("lblFilename");
    auto* once = new QLabel("(required only once)", this);
    lblProgress = new QLabel(this);
    lblProgress->setObjectName("lblProgress");
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
    // Enter never cancels the long task (a second Enter after "Load TAMO" would): only Escape and
    // a click do.
    btnCancel->setAutoDefault(false);
    btnCancel->setDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 8, 16, 10);
    layout->setSpacing(2);
    layout->addWidget(please);
    layout->addWidget(lblFilename);
    layout->addWidget(once);
    layout->addSpacing(10);
    layout->addWidget(lblProgress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    // Room for the longest file name line in the window's 329 pixels.
    lblFilename->setMinimumWidth(329 - 32);
    setFixedSize(sizeHint().expandedTo(QSize(329, 105)));
}

void TfrmProgress::reject() {
    CancelRequested = true;
    btnCancel->setEnabled(false);
}

TExtractionProgress::TExtractionProgress(QWidget* owner, long long& extractedBytes)
    : m_owner(owner), m_extractedBytes(extractedBytes) {}

TExtractionProgress::~TExtractionProgress() {
    Close();
}

void TExtractionProgress::Open() {
    QWidget* frame = m_owner ? m_owner->window() : nullptr;
    m_window = std::make_unique<TfrmProgress>(frame);
    m_window->adjustSize();
    const QRect area = frame ? frame->frameGeometry() : QGuiApplication::primaryScreen()->availableGeometry();
    m_window->move(area.center() - m_window->rect().center());
}

bool TExtractionProgress::Progress(const QString& member, long long stepBytes) {
    m_extractedBytes += stepBytes;
    if (!m_window)
        return true;
    if (const auto text = ExtractionProgressText(m_extractedBytes)) {
        m_window->lblFilename->setText("Extracting raster file: " + member);
        m_window->lblProgress->setText(*text);
        if (!m_window->isVisible())
            m_window->show();
    }
    // Every step lets the window system run, so that Cancel answers at once.
    QCoreApplication::processEvents();
    return !m_window->CancelRequested;
}

void TExtractionProgress::Close() {
    if (m_window) {
        m_window->hide();
        m_window.reset();
    }
}

TZipAnswer TExtractionProgress::Ask(const QString& text) {
    const auto button = Dialogs::Message(m_window ? static_cast<QWidget*>(m_window.get()) : m_owner, text,
                                         QCoreApplication::applicationName(),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (button == QMessageBox::Yes)
        return TZipAnswer::Yes;
    return button == QMessageBox::Cancel ? TZipAnswer::Cancel : TZipAnswer::No;
}

void TExtractionProgress::Tell(const QString& text) {
    Dialogs::Message(m_owner, text, QCoreApplication::applicationName());
}
