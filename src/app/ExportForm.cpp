#include "app/ExportForm.h"

#include "themes/QEVLibraryManager.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TExportForm::TExportForm(const TQEVLibraryManager* library, QWidget* parent)
    : QDialog(parent), m_library(library) {
    setObjectName("ExportForm");
    setWindowTitle("Export");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* lblLibrary = new QLabel("Library", this);
    cmbLibrary = new QComboBox(this);
    cmbLibrary->setObjectName("cmbLibrary");
    lblLibrary->setBuddy(cmbLibrary);
    auto* lblLayers = new QLabel("Layers", this);
    lstLayers = new QListWidget(this);
    lstLayers->setObjectName("lstLayers");
    lblLayers->setBuddy(lstLayers);

    rgFormat = new QGroupBox("Format", this);
    rgFormat->setObjectName("rgFormat");
    FormatButtons = new QButtonGroup(this);
    auto* formatLayout = new QVBoxLayout(rgFormat);
    const QStringList formats = {"ESRI BIL (+ BLW & HDR)", "IDRISI RST (+ RDC)", "ESRI ARC ASCII", "GeoTiff"};
    for (int i = 0; i < formats.size(); ++i) {
        auto* button = new QRadioButton(QString(formats[i]).replace("&", "&&"), rgFormat);
        button->setObjectName(QString("rbFormat%1").arg(i));
        FormatButtons->addButton(button, i);
        formatLayout->addWidget(button);
    }
    FormatButtons->button(0)->setChecked(true);

    chkLegend = new QCheckBox("Add Legend and color info", this);
    chkLegend->setObjectName("chkLegend");

    // The area in degrees, sign and up to three digits before the point.
    auto* area = new QGroupBox("Area (degrees)", this);
    auto* areaLayout = new QGridLayout(area);
    const auto makeEdit = [&](QLineEdit*& edit, const char* name, const QString& label, const QString& value,
                              int row, int column) {
        edit = new QLineEdit(area);
        edit->setObjectName(name);
        edit->setInputMask("#000.00;_");
        edit->setText(value);
        auto* caption = new QLabel(label, area);
        caption->setBuddy(edit);
        areaLayout->addWidget(caption, row, column * 2);
        areaLayout->addWidget(edit, row, column * 2 + 1);
    };
    makeEdit(edtWest, "edtWest", "West", "-180.00", 0, 0);
    makeEdit(edtEast, "edtEast", "East", "+180.00", 0, 1);
    makeEdit(edtSouth, "edtSouth", "South", "-090.00", 1, 0);
    makeEdit(edtNorth, "edtNorth", "North", "+090.00", 1, 1);

    btnExport = new QPushButton("&Export", this);
    btnExport->setObjectName("btnExport");
    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    btnClose->setDefault(true);
    connect(btnExport, &QPushButton::clicked, this, [this] { btnExportClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(lblLibrary);
    left->addWidget(cmbLibrary);
    left->addWidget(lblLayers);
    left->addWidget(lstLayers, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(rgFormat);
    right->addWidget(chkLegend);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnExport);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(area);
    layout->addLayout(buttons);

    if (m_library)
        for (const auto& entry : m_library->Libraries())
            cmbLibrary->addItem(entry->QevLibrary);
    connect(cmbLibrary, &QComboBox::currentIndexChanged, this, [this] { cmbLibraryChange(); });
    cmbLibraryChange();

    setFixedSize(QSize(445, 407).expandedTo(minimumSizeHint()));
}

// The layers of the chosen library.
void TExportForm::cmbLibraryChange() {
    lstLayers->clear();
    const int index = cmbLibrary->currentIndex();
    if (!m_library || index < 0 || index >= int(m_library->Libraries().size()))
        return;
    const TQEV_library* chosen = m_library->Libraries()[index].get();
    for (const auto& theme : m_library->Themes())
        if (theme->Library == chosen)
            lstLayers->addItem(theme->LayerName);
    if (lstLayers->count() > 0)
        lstLayers->setCurrentRow(0);
}

// Exporting is not available: the button is there, but does nothing.
void TExportForm::btnExportClick() {}
