#include "settings/DemoDataForm.h"

#include "settings/DemoDataMaker.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TDemoDataForm::TDemoDataForm(TDemoDataMaker& maker, const QString& folder, QWidget* parent)
    : QDialog(parent), m_maker(maker) {
    setObjectName("DemoDataForm");
    setWindowTitle("Make Demo Data");

    lblFolder = new QLabel(QString("Making the demo data set in\n%1").arg(folder), this);
    lblFolder->setObjectName("lblFolder");
    lblStep = new QLabel("Starting ...", this);
    lblStep->setObjectName("lblStep");
    prbProgress = new QProgressBar(this);
    prbProgress->setObjectName("prbProgress");
    prbProgress->setRange(0, 100);
    prbProgress->setValue(0);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFolder);
    layout->addWidget(lblStep);
    layout->addWidget(prbProgress);
    layout->addLayout(buttons);
    setMinimumWidth(360);
    setFixedHeight(sizeHint().height());

    connect(btnCancel, &QPushButton::clicked, this, &TDemoDataForm::reject);
    connect(&maker, &TDemoDataMaker::ProgressChanged, prbProgress, &QProgressBar::setValue);
    connect(&maker, &TDemoDataMaker::StepChanged, lblStep, &QLabel::setText);
    connect(&maker, &TDemoDataMaker::Finished, this,
            [this] { done(m_maker.Outcome() == TDemoDataMaker::TOutcome::Done ? Accepted : Rejected); });
}

void TDemoDataForm::reject() {
    if (m_maker.Outcome() != TDemoDataMaker::TOutcome::Running) {
        QDialog::reject();
        return;
    }
    btnCancel->setEnabled(false);
    lblStep->setText("Cancelling ...");
    m_maker.Cancel();
}
