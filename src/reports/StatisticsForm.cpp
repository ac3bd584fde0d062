#include "reports/StatisticsForm.h"

#include "common/Dialogs.h"
#include "raster/WorldAreas.h"
#include "reports/SmuCsv.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

// How long a computation runs before its progress window appears.
constexpr int kProgressDelayMs = 300;

// A cell sorted by a number of its own rather than by its text.
class TNumberItem : public QTableWidgetItem {
public:
    TNumberItem(const QString& text, double number) : QTableWidgetItem(text) {
        setData(Qt::UserRole, number);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QIcon Swatch(QRgb color) {
    QPixmap pixmap(12, 12);
    pixmap.fill(QColor::fromRgb(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 11, 11);
    return QIcon(pixmap);
}

const QLocale& English() {
    static const QLocale english(QLocale::English);
    return english;
}

} // namespace

TStatisticsForm::TStatisticsForm(TWorldAreas& worldAreas, QWidget* parent)
    : QDialog(parent), m_worldAreas(worldAreas) {
    setObjectName("StatisticsForm");
    setWindowTitle("Statistics");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint);

    auto* scopes = new QGroupBox("Area", this);
    rbView = new QRadioButton("&Current view", scopes);
    rbView->setObjectName("rbView");
    rbWorld = new QRadioButton("&Whole world", scopes);
    rbWorld->setObjectName("rbWorld");
    rbSelection = new QRadioButton("&Query selection", scopes);
    rbSelection->setObjectName("rbSelection");
    m_scopes = new QButtonGroup(this);
    m_scopes->addButton(rbView, int(TStatisticsScope::View));
    m_scopes->addButton(rbWorld, int(TStatisticsScope::World));
    m_scopes->addButton(rbSelection, int(TStatisticsScope::Selection));
    rbView->setChecked(true);
    auto* scopeLayout = new QHBoxLayout(scopes);
    scopeLayout->addWidget(rbView);
    scopeLayout->addWidget(rbWorld);
    scopeLayout->addWidget(rbSelection);
    scopeLayout->addStretch();
    connect(m_scopes, &QButtonGroup::idClicked, this, [this] { Compute(); });

    lblSummary = new QLabel(this);
    lblSummary->setObjectName("lblSummary");
    lblSummary->setWordWrap(true);

    const auto makeTable = [this](const char* name, TStatisticsBy by) {
        auto* table = new QTableWidget(0, StatisticsHeadings(by).size(), this);
        table->setObjectName(name);
        table->setHorizontalHeaderLabels(StatisticsHeadings(by));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->verticalHeader()->setVisible(false);
        table->horizontalHeader()->setStretchLastSection(true);
        table->setSortingEnabled(true);
        table->sortByColumn(0, Qt::AscendingOrder);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
        return table;
    };
    tblClasses = makeTable("tblClasses", TStatisticsBy::Class);
    tblUnits = makeTable("tblUnits", TStatisticsBy::Unit);
    tabTables = new QTabWidget(this);
    tabTables->setObjectName("tabTables");
    tabTables->addTab(tblClasses, "Classes");
    tabTables->addTab(tblUnits, "Soil mapping units");

    chtClasses = new QChartView(this);
    chtClasses->setObjectName("chtClasses");
    chtClasses->setRenderHint(QPainter::Antialiasing);
    chtClasses->setMinimumWidth(320);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(tabTables);
    splitter->addWidget(chtClasses);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({620, 400});

    btnCopy = new QPushButton("C&opy", this);
    btnCopy->setObjectName("btnCopy");
    btnSave = new QPushButton("&Save As...", this);
    btnSave->setObjectName("btnSave");
    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    connect(btnCopy, &QPushButton::clicked, this, [this] { btnCopyClick(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnCopy);
    buttons->addWidget(btnSave);
    buttons->addStretch();
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scopes);
    layout->addWidget(lblSummary);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(QSize(1060, 700).expandedTo(minimumSizeHint()));

    connect(&m_job, &TBackgroundJob::Progress, this, [this](int percent) {
        if (m_progress)
            m_progress->setValue(percent);
    });
    connect(&m_worldAreas, &TWorldAreas::Progress, this, [this](int percent) {
        if (m_progress && m_waitingForWorld)
            m_progress->setValue(percent);
    });
    connect(&m_worldAreas, &TWorldAreas::Ready, this, &TStatisticsForm::WorldAreasReady);
    connect(&m_worldAreas, &TWorldAreas::Stopped, this, [this](const QString& message) {
        if (!m_waitingForWorld)
            return;
        m_waitingForWorld = false;
        CloseProgress();
        ShowNothing(message.isEmpty() ? QString("Cancelled.") : message);
        if (!message.isEmpty())
            Dialogs::ShowError(this, message);
    });
    ShowNothing({});
}

TStatisticsForm::~TStatisticsForm() = default;

void TStatisticsForm::ShowSource(TStatisticsSource source) {
    m_source = std::move(source);
    setWindowTitle("Statistics - " + m_source.Title);
    rbSelection->setEnabled(m_source.Selection.has_value());
    if (!m_source.Selection && Scope() == TStatisticsScope::Selection)
        rbView->setChecked(true);
    Compute();
}

void TStatisticsForm::SetSelection(std::optional<std::vector<int>> selection) {
    if (selection == m_source.Selection)
        return;
    const bool shown = Scope() == TStatisticsScope::Selection;
    m_source.Selection = std::move(selection);
    rbSelection->setEnabled(m_source.Selection.has_value());
    if (!shown)
        return;
    if (!m_source.Selection)
        rbView->setChecked(true);
    Compute();
}

void TStatisticsForm::SetScope(TStatisticsScope scope) {
    m_scopes->button(int(scope))->setChecked(true);
    Compute();
}

TStatisticsScope TStatisticsForm::Scope() const {
    return static_cast<TStatisticsScope>(m_scopes->checkedId());
}

bool TStatisticsForm::Computing() const {
    return m_job.Running() || m_waitingForWorld;
}

void TStatisticsForm::Compute() {
    m_job.Abandon();
    if (m_waitingForWorld)
        m_waitingForWorld = false;
    CloseProgress();
    m_statistics.reset();
    if (!m_source.Raster) {
        ShowNothing("No map is open.");
        return;
    }
    const TStatisticsScope scope = Scope();
    if (scope == TStatisticsScope::View) {
        // A view of the whole raster is the world, whose table may be known already.
        const TRasterGrid& grid = m_source.Raster->Grid();
        if (m_source.View.ClippedTo(grid.Cols, grid.Rows) == TCellWindow{0, 0, grid.Cols, grid.Rows}) {
            if (const auto areas = m_worldAreas.Known(*m_source.Raster)) {
                const TAreaStatistics statistics = SummariseTally(*areas, m_source.Classes);
                ShowStatistics(statistics);
                if (OnViewStatistics)
                    OnViewStatistics(m_source.View, statistics);
                return;
            }
        }
        ShowNothing("Counting the cells of the view ...");
        auto result = std::make_shared<std::optional<TCellTally>>();
        const auto raster = m_source.Raster;
        const TCellWindow view = m_source.View;
        m_job.Start(
            [raster, view, result](const TJobControl& control) {
                *result = TallyCells(TallySourceOf(*raster), view, control);
            },
            [this, result, view](TBackgroundJob::TOutcome outcome, const QString& error) {
                CloseProgress();
                if (outcome == TBackgroundJob::TOutcome::Done && *result) {
                    const TAreaStatistics statistics = SummariseTally(**result, m_source.Classes);
                    ShowStatistics(statistics);
                    if (OnViewStatistics)
                        OnViewStatistics(view, statistics);
                } else if (outcome == TBackgroundJob::TOutcome::Failed) {
                    ShowNothing(error);
                    Dialogs::ShowError(this, error);
                } else {
                    ShowNothing("Cancelled.");
                }
            });
        OpenProgress();
        return;
    }
    // The world and the selection are sums over the world's table of units.
    if (const auto areas = m_worldAreas.Areas(m_source.Raster)) {
        ShowStatistics(SummariseTally(*areas, m_source.Classes,
                                      scope == TStatisticsScope::Selection ? &*m_source.Selection : nullptr));
        return;
    }
    ShowNothing("Counting the cells of the world ...");
    m_waitingForWorld = true;
    OpenProgress();
}

void TStatisticsForm::WorldAreasReady(const QString& rasterPath) {
    if (!m_waitingForWorld || !m_source.Raster || m_source.Raster->File().Path() != rasterPath)
        return;
    m_waitingForWorld = false;
    CloseProgress();
    Compute();
}

void TStatisticsForm::OpenProgress() {
    m_progress = new QProgressDialog("Counting the cells ...", "Cancel", 0, 100, this);
    m_progress->setObjectName("StatisticsProgress");
    m_progress->setWindowTitle("Statistics");
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(kProgressDelayMs);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        if (m_waitingForWorld)
            m_worldAreas.Cancel();
        else
            m_job.Cancel();
    });
}

void TStatisticsForm::CloseProgress() {
    if (!m_progress)
        return;
    m_progress->disconnect(this);
    m_progress->close();
    m_progress->deleteLater();
    m_progress = nullptr;
}

void TStatisticsForm::ShowNothing(const QString& summary) {
    m_statistics.reset();
    lblSummary->setText(summary);
    tblClasses->setRowCount(0);
    tblUnits->setRowCount(0);
    FillChart(TAreaStatistics{});
    btnCopy->setEnabled(false);
    btnSave->setEnabled(false);
}

void TStatisticsForm::ShowStatistics(const TAreaStatistics& statistics) {
    m_statistics = statistics;
    const QLocale& english = English();
    QString summary;
    switch (Scope()) {
    case TStatisticsScope::View:
        summary = QString("Current view: %1 of land in %2 cells.")
                      .arg(AreaText(statistics.LandKm2), english.toString(qulonglong(statistics.LandCells)));
        break;
    case TStatisticsScope::World:
        summary = QString("Whole world: %1 of land in %2 cells.")
                      .arg(AreaText(statistics.LandKm2), english.toString(qulonglong(statistics.LandCells)));
        break;
    case TStatisticsScope::Selection:
        summary =
            QString("Query selection: %1 units with land, %2, %3 % of the world's land.")
                .arg(english.toString(qulonglong(statistics.Units.size())), AreaText(statistics.CountedKm2),
                     english.toString(
                         statistics.LandKm2 > 0 ? 100 * statistics.CountedKm2 / statistics.LandKm2 : 0.0, 'f',
                         2));
        break;
    }
    lblSummary->setText(summary);
    FillTable(*tblClasses, TStatisticsBy::Class, statistics.Classes);
    FillTable(*tblUnits, TStatisticsBy::Unit, statistics.Units);
    FillChart(statistics);
    btnCopy->setEnabled(true);
    btnSave->setEnabled(true);
}

void TStatisticsForm::FillTable(QTableWidget& table, TStatisticsBy by, const std::vector<TAreaRow>& rows) {
    const QLocale& english = English();
    table.setSortingEnabled(false);
    table.setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TAreaRow& row = rows[static_cast<std::size_t>(r)];
        int column = 0;
        table.setItem(r, column++, new TNumberItem(QString::number(row.Key), row.Key));
        if (by == TStatisticsBy::Unit)
            table.setItem(r, column++, new TNumberItem(QString::number(row.Class), row.Class));
        auto* name = new QTableWidgetItem(Swatch(row.Color), row.Name);
        name->setToolTip(row.Name);
        table.setItem(r, column++, name);
        table.setItem(r, column++,
                      new TNumberItem(english.toString(qulonglong(row.Cells)), double(row.Cells)));
        table.setItem(r, column++, new TNumberItem(english.toString(row.AreaKm2, 'f', 1), row.AreaKm2));
        table.setItem(r, column++,
                      new TNumberItem(english.toString(row.SharePercent, 'f', 3), row.SharePercent));
    }
    table.setSortingEnabled(true);
    table.resizeColumnsToContents();
}

void TStatisticsForm::FillChart(const TAreaStatistics& statistics) {
    m_chartRows.clear();
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    const std::vector<TAreaRow>& classes = statistics.Classes;
    const int n = static_cast<int>(classes.size());
    if (n > 0) {
        double largest = 0;
        for (const TAreaRow& row : classes)
            largest = std::max(largest, row.AreaKm2);
        const bool millions = largest >= 1e6;
        const double unit = millions ? 1e6 : 1;
        // One set per class, holding only its own bar, so that each bar takes its class colour;
        // the first class at the top. The bars are labelled by class number (the table beside
        // names them; up to 40 names would not fit) and name themselves under the pointer.
        auto* series = new QHorizontalStackedBarSeries;
        QStringList names;
        for (int i = n - 1; i >= 0; --i) {
            const TAreaRow& row = classes[static_cast<std::size_t>(i)];
            names << QString::number(row.Key);
            auto* set = new QBarSet(row.Name);
            for (int j = 0; j < n; ++j)
                *set << (j == n - 1 - i ? row.AreaKm2 / unit : 0.0);
            set->setColor(QColor::fromRgb(row.Color));
            m_chartRows.prepend(set);
            set->setBorderColor(QColor(96, 96, 96));
            series->append(set);
        }
        series->setBarWidth(0.8);
        connect(series, &QAbstractBarSeries::hovered, chtClasses, [this](bool over, int, QBarSet* set) {
            const int index = set ? int(m_chartRows.indexOf(set)) : -1;
            if (!over || index < 0 || !m_statistics || index >= int(m_statistics->Classes.size())) {
                QToolTip::hideText();
                return;
            }
            const TAreaRow& row = m_statistics->Classes[static_cast<std::size_t>(index)];
            QToolTip::showText(QCursor::pos(), QString("%1 %2\n%3, %4 % of the land")
                                                   .arg(row.Key)
                                                   .arg(row.Name, AreaText(row.AreaKm2),
                                                        English().toString(row.SharePercent, 'f', 2)));
        });
        chart->addSeries(series);
        auto* categories = new QBarCategoryAxis;
        categories->append(names);
        categories->setTitleText("Class");
        categories->setTruncateLabels(false);
        chart->addAxis(categories, Qt::AlignLeft);
        series->attachAxis(categories);
        auto* values = new QValueAxis;
        values->setTitleText(millions ? "Area (million km²)" : "Area (km²)");
        values->setLabelFormat(millions ? "%.1f" : "%.0f");
        values->setRange(0, largest > 0 ? largest / unit : 1);
        if (largest > 0)
            values->applyNiceNumbers();
        chart->addAxis(values, Qt::AlignBottom);
        series->attachAxis(values);
    }
    QChart* old = chtClasses->chart();
    chtClasses->setChart(chart);
    delete old;
}

TStatisticsBy TStatisticsForm::ShownTable() const {
    return tabTables->currentWidget() == tblUnits ? TStatisticsBy::Unit : TStatisticsBy::Class;
}

void TStatisticsForm::btnCopyClick() {
    if (m_statistics)
        QApplication::clipboard()->setText(StatisticsClipboardText(*m_statistics, ShownTable()));
}

void TStatisticsForm::btnSaveClick() {
    if (!m_statistics)
        return;
    const TStatisticsBy by = ShownTable();
    const QStringList chosen =
        Dialogs::ChooseFiles(this, {"Save As", "CSV file|*.csv",
                                    QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                                    Dialogs::TFileMode::Save});
    if (chosen.isEmpty())
        return;
    const QString path = SmuCsvFileName(chosen.first());
    if (!Dialogs::ConfirmReplace(this, path, "Save As"))
        return;
    WriteFileReplacing(path, StatisticsCsvText(*m_statistics, by));
    Dialogs::ShowMessage(this, "Statistics saved as " + QFileInfo(path).fileName() + ".");
}

void TStatisticsForm::closeEvent(QCloseEvent* event) {
    // A closed window computes nothing more and receives no result.
    m_job.Abandon();
    if (m_waitingForWorld)
        m_waitingForWorld = false;
    CloseProgress();
    QDialog::closeEvent(event);
}
