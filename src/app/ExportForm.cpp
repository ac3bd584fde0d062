#include "app/ExportForm.h"

#include "common/Dialogs.h"
#include "themes/ThemeRecords.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <cmath>

namespace {

// The formats in the order of the radio buttons.
constexpr TExportFormat kFormats[] = {TExportFormat::EHdr, TExportFormat::RST, TExportFormat::AAIGrid,
                                      TExportFormat::GTiff};

QString FileFilter(TExportFormat format) {
    switch (format) {
    case TExportFormat::EHdr:
        return "ESRI BIL|*.bil";
    case TExportFormat::RST:
        return "IDRISI RST|*.rst";
    case TExportFormat::AAIGrid:
        return "ESRI ARC ASCII|*.asc";
    case TExportFormat::GTiff:
        break;
    }
    return "GeoTiff|*.tif;*.tiff";
}

// An edge as the masked box holds it: a sign, three digits, the point and two decimals.
QString EdgeText(double degrees) {
    return QString("%1%2").arg(degrees < 0 ? '-' : '+').arg(std::fabs(degrees), 6, 'f', 2, QChar('0'));
}

} // namespace

TExportForm::TExportForm(TExportContext context, QWidget* parent)
    : QDialog(parent), m_context(std::move(context)) {
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

    // The area in degrees, laid out as on a map: north above, west and east beside, south below.
    auto* area = new QGroupBox("Area (degrees)", this);
    auto* areaLayout = new QGridLayout(area);
    const auto makeEdit = [&](QLineEdit*& edit, const char* name, const QString& label, int row, int column) {
        edit = new QLineEdit(area);
        edit->setObjectName(name);
        edit->setInputMask("#000.00;_");
        auto* caption = new QLabel(label, area);
        caption->setBuddy(edit);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        areaLayout->addWidget(caption, row, column * 2);
        areaLayout->addWidget(edit, row, column * 2 + 1);
    };
    makeEdit(edtNorth, "edtNorth", "North", 0, 1);
    makeEdit(edtWest, "edtWest", "West", 1, 0);
    makeEdit(edtEast, "edtEast", "East", 1, 2);
    makeEdit(edtSouth, "edtSouth", "South", 2, 1);
    // The active map's view, moved outward to whole cells; the world without a map.
    SetExtent(m_context.ViewCells
                  ? ExtentOfCells(*m_context.ViewCells, m_context.GridCols, m_context.GridRows)
                  : kWorldExtent);

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

    for (const TExportChoice& choice : m_context.Choices)
        cmbLibrary->addItem(choice.Title);
    cmbLibrary->setCurrentIndex(m_context.Choices.empty() ? -1 : m_context.Current);
    connect(cmbLibrary, &QComboBox::currentIndexChanged, this, [this] { cmbLibraryChange(); });
    cmbLibraryChange();

    setFixedSize(QSize(445, 407).expandedTo(minimumSizeHint()));
}

TExportForm::~TExportForm() {
    // The writing goes on alone only until it sees the flag, then removes what it wrote.
    m_job.Abandon();
}

// The layers of the chosen map: its SMU ids and its classes, and a property map's values.
void TExportForm::cmbLibraryChange() {
    lstLayers->clear();
    const int index = cmbLibrary->currentIndex();
    if (index < 0 || index >= int(m_context.Choices.size()))
        return;
    const TExportChoice& choice = m_context.Choices[static_cast<std::size_t>(index)];
    lstLayers->addItem("SMU ids");
    lstLayers->addItem("Legend classes");
    if (choice.Classes.HasValues())
        lstLayers->addItem("Property values");
    lstLayers->setCurrentRow(0);
}

TExportLayer TExportForm::Layer() const {
    switch (lstLayers->currentRow()) {
    case 1:
        return TExportLayer::Classes;
    case 2:
        return TExportLayer::Values;
    default:
        return TExportLayer::Units;
    }
}

TExportFormat TExportForm::Format() const {
    return kFormats[std::clamp(FormatButtons->checkedId(), 0, 3)];
}

void TExportForm::SetExtent(const TDegreeExtent& extent) {
    const TDegreeExtent shown = RoundedOutward(extent, 2);
    edtNorth->setText(EdgeText(shown.North));
    edtSouth->setText(EdgeText(shown.South));
    edtWest->setText(EdgeText(shown.West));
    edtEast->setText(EdgeText(shown.East));
}

std::optional<TDegreeExtent> TExportForm::Extent(QString& problem) const {
    double edges[4];
    const QLineEdit* boxes[] = {edtNorth, edtSouth, edtWest, edtEast};
    const char* names[] = {"north", "south", "west", "east"};
    for (int i = 0; i < 4; ++i) {
        QString text = boxes[i]->text();
        text.remove('_').remove(' ');
        bool ok = false;
        edges[i] = text.toDouble(&ok);
        if (!ok) {
            problem = QString("The %1 edge of the area is not a number of degrees.").arg(names[i]);
            return std::nullopt;
        }
    }
    const TDegreeExtent extent{edges[0], edges[1], edges[2], edges[3]};
    problem = ExtentProblem(extent);
    if (!problem.isEmpty())
        return std::nullopt;
    return extent;
}

void TExportForm::btnExportClick() {
    if (m_job.Running())
        return;
    const int index = cmbLibrary->currentIndex();
    if (index < 0 || index >= int(m_context.Choices.size()))
        return;
    QString problem;
    const std::optional<TDegreeExtent> extent = Extent(problem);
    if (!extent) {
        Dialogs::ShowError(this, problem);
        return;
    }
    const TExportChoice& choice = m_context.Choices[static_cast<std::size_t>(index)];
    const TExportFormat format = Format();
    const QStringList chosen =
        Dialogs::ChooseFiles(this, {"Export", FileFilter(format),
                                    QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                                    Dialogs::TFileMode::Save});
    if (chosen.isEmpty())
        return;
    const QString path = WithFormatExtension(chosen.first(), format);
    const QStringList existing = ExistingExportMembers(path, format);
    if (!existing.isEmpty()) {
        QStringList names;
        for (const QString& file : existing)
            names << QFileInfo(file).fileName();
        if (Dialogs::Message(
                this,
                QString("These files exist in \"%1\" and will be replaced:\n%2\n\nReplace them?")
                    .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()), names.join("\n")),
                "Message", QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    std::shared_ptr<const TRasterSource> raster = choice.Raster;
    if (!raster && choice.Theme && m_context.OpenRaster)
        raster = m_context.OpenRaster(*choice.Theme);
    if (!raster)
        return;

    TExportRequest request;
    request.Source = TallySourceOf(*raster);
    request.Window = CellsCovering(*extent, raster->Grid().Cols, raster->Grid().Rows);
    request.Layer = Layer();
    request.Format = format;
    request.Legend = chkLegend->isChecked() ? TExportLegend::Yes : TExportLegend::No;
    request.Classes = choice.Classes;
    request.TopValue =
        choice.Theme && choice.Theme->ZeroIsValue ? TTopCellValue::Value : TTopCellValue::NoData;
    request.Path = path;

    m_progress =
        new QProgressDialog("Writing " + QFileInfo(path).fileName() + " ...", "Cancel", 0, 100, this);
    m_progress->setObjectName("ExportProgress");
    m_progress->setWindowTitle("Export");
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, &m_job, &TBackgroundJob::Cancel);
    connect(&m_job, &TBackgroundJob::Progress, m_progress, &QProgressDialog::setValue);
    btnExport->setEnabled(false);
    // The job keeps the raster and its own copy of the request.
    m_job.Start([request, raster](const TJobControl& control) { ExportRaster(request, control); },
                [this, path](TBackgroundJob::TOutcome outcome, const QString& error) {
                    Finished(outcome, error, path);
                });
}

void TExportForm::Finished(TBackgroundJob::TOutcome outcome, const QString& error, const QString& path) {
    CloseProgress();
    btnExport->setEnabled(true);
    switch (outcome) {
    case TBackgroundJob::TOutcome::Done:
        Dialogs::ShowMessage(this, "Exported to " + QDir::toNativeSeparators(path) + ".");
        break;
    case TBackgroundJob::TOutcome::Failed:
        Dialogs::ShowError(this, error);
        break;
    case TBackgroundJob::TOutcome::Cancelled:
        break;
    }
}

void TExportForm::CloseProgress() {
    if (!m_progress)
        return;
    m_progress->disconnect();
    m_progress->close();
    m_progress->deleteLater();
    m_progress = nullptr;
}

void TExportForm::reject() {
    // Closing while writing cancels the writing, which leaves no file.
    if (m_job.Running()) {
        m_job.Abandon();
        CloseProgress();
        btnExport->setEnabled(true);
    }
    QDialog::reject();
}
