#include "reports/SoilPropsForm.h"

#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "db/TAMO.h"
#include "reports/ReportHost.h"
#include "reports/ReportPlacement.h"
#include "settings/Preferences.h"
#include "settings/WindowPlacement.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

namespace {
constexpr int kClientWidth = 477;
constexpr int kClientHeight = 390;
constexpr int kPanelHeight = 36;
constexpr int kMargin = 4;

// A grid of two columns whose first row and column are headings.
QTableWidget* MakeGrid(QWidget* parent, const char* name, int rows, int rowHeight, int columnWidth) {
    auto* grid = new QTableWidget(rows, 2, parent);
    grid->setObjectName(name);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->horizontalHeader()->setDefaultSectionSize(columnWidth);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Base, Qt::white);
    grid->setPalette(palette);
    const QColor heading = QApplication::palette().color(QPalette::Button);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < 2; ++column) {
            auto* item = new QTableWidgetItem;
            if (row == 0 || column == 0) {
                item->setBackground(heading);
                item->setFlags(Qt::ItemIsEnabled);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            grid->setItem(row, column, item);
        }
    const int frame = 2 * grid->frameWidth();
    grid->setFixedSize(2 * columnWidth + frame, rows * rowHeight + frame);
    return grid;
}
} // namespace

// ---- TRecordTabs -------------------------------------------------------------------------------

TRecordTabs::TRecordTabs(QWidget* parent) : QWidget(parent) {
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    m_layout = new QGridLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) { emit CurrentChanged(id); });
}

int TRecordTabs::TabsPerColumn(int height) {
    return std::max(1, height / kTabHeight);
}

void TRecordTabs::SetCount(int count) {
    for (QAbstractButton* button : m_group->buttons()) {
        m_group->removeButton(button);
        delete button;
    }
    const int perColumn = TabsPerColumn(height());
    for (int i = 0; i < count; ++i) {
        auto* tab = new QToolButton(this);
        tab->setText(QString::number(i + 1));
        tab->setCheckable(true);
        tab->setAutoRaise(false);
        tab->setFixedSize(kTabWidth, kTabHeight);
        tab->setFocusPolicy(Qt::TabFocus);
        m_group->addButton(tab, i);
        m_layout->addWidget(tab, i % perColumn, i / perColumn);
    }
    const int columns = count == 0 ? 1 : (count + perColumn - 1) / perColumn;
    setFixedWidth(columns * kTabWidth);
}

int TRecordTabs::Count() const {
    return static_cast<int>(m_group->buttons().size());
}

int TRecordTabs::CurrentIndex() const {
    return m_group->checkedId();
}

void TRecordTabs::SetCurrentIndex(int index) {
    if (QAbstractButton* button = m_group->button(index))
        button->setChecked(true);
}

// ---- TSoilPropsForm ----------------------------------------------------------------------------

TSoilPropsForm::TSoilPropsForm(TReportHost& host, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint),
      m_host(host) {
    setObjectName("SoilPropsForm");
    setWindowTitle("Soil Mapping Unit - Overview");
    setModal(false);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    TabControl1 = new TRecordTabs(this);
    TabControl1->setObjectName("TabControl1");
    TabControl1->setGeometry(kMargin, kMargin, TRecordTabs::kTabWidth,
                             kClientHeight - kPanelHeight - 2 * kMargin);
    connect(TabControl1, &TRecordTabs::CurrentChanged, this,
            [this] { Guarded([this] { TabControl1Change(); }, this); });

    PageControl = new QTabWidget(this);
    PageControl->setObjectName("PageControl");
    PageControl->setDocumentMode(true);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    PageControl->addTab(TabSheet1, "General");
    PageControl->addTab(TabSheet2, "Physco-Chemical properties");

    GE_StringGrid1 = MakeGrid(TabSheet1, "GE_StringGrid1", 16, 18, 100);
    GE_StringGrid2 = MakeGrid(TabSheet1, "GE_StringGrid2", 16, 18, 100);
    PR_StringGrid1 = MakeGrid(TabSheet2, "PR_StringGrid1", 17, 17, 106);
    PR_StringGrid2 = MakeGrid(TabSheet2, "PR_StringGrid2", 17, 17, 106);
    const auto placePair = [](QTableWidget* left, QTableWidget* right) {
        left->move(kMargin, kMargin);
        right->move(kMargin + left->width() + kMargin, kMargin);
    };
    placePair(GE_StringGrid1, GE_StringGrid2);
    placePair(PR_StringGrid1, PR_StringGrid2);

    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    chkDomains = new QCheckBox("Domains", Panel2);
    chkDomains->setObjectName("chkDomains");
    chkDomains->adjustSize();
    btnClose = new QPushButton("&Close", Panel2);
    btnClose->setObjectName("btnClose");
    btnClose->resize(75, 25);
    btnClose->setAutoDefault(false);
    connect(chkDomains, &QCheckBox::toggled, this, [this] { Guarded([this] { chkDomainsClick(); }, this); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });

    FitToTabs();
    FormCreate();
}

std::array<QTableWidget*, TSoilOverviewContent::kGridCount> TSoilPropsForm::Grids() const {
    return {GE_StringGrid1, GE_StringGrid2, PR_StringGrid1, PR_StringGrid2};
}

void TSoilPropsForm::FitToTabs() {
    // The pages take what the wider pair of grids needs; the window grows when the tabs need a
    // further column.
    const int pageWidth = std::max(GE_StringGrid2->x() + GE_StringGrid2->width(),
                                   PR_StringGrid2->x() + PR_StringGrid2->width()) +
                          kMargin;
    const int pageHeight = kClientHeight - kPanelHeight - 2 * kMargin;
    const int tabsWidth = TabControl1->width();
    const int width = std::max(kClientWidth, kMargin + tabsWidth + kMargin + pageWidth + kMargin);
    PageControl->setGeometry(width - kMargin - pageWidth, kMargin, pageWidth, pageHeight);
    Panel2->setGeometry(0, kClientHeight - kPanelHeight, width, kPanelHeight);
    chkDomains->move(8, (kPanelHeight - chkDomains->height()) / 2);
    btnClose->move(width - 8 - btnClose->width(), (kPanelHeight - btnClose->height()) / 2);
    setFixedSize(width, kClientHeight);
}

void TSoilPropsForm::FormCreate() {
    RestoreOrCentre(*this);
    const TTAMO& database = m_host.Database();
    PR_StringGrid1->item(0, 1)->setText("Topsoil");
    PR_StringGrid2->item(0, 1)->setText("Subsoil");
    const auto grids = Grids();
    for (int grid = 0; grid < TSoilOverviewContent::kGridCount; ++grid)
        for (int row = 1; row < grids[grid]->rowCount(); ++row)
            grids[grid]->item(row, 0)->setText(TSoilOverviewContent::FieldName(database, grid, row));
    m_suppressDomains = true;
    chkDomains->setChecked(m_host.Preferences().DomainView);
    m_suppressDomains = false;
}

bool TSoilPropsForm::ShowOverview(int smuId) {
    const QString id = QString::number(smuId);
    TTAMO& database = m_host.Database();
    if (!database.FetchLayers(smuId)) {
        Dialogs::ShowError(this, "No record found in TAMO database (TAMO2_SMU_ID=" + id + ").");
        return false;
    }
    m_content = TSoilOverviewContent(database);
    PageControl->setCurrentIndex(0);
    TabControl1->SetCount(m_content.RecordCount());
    FitToTabs();
    TabControl1->SetCurrentIndex(0);
    FillRecord(1);
    return true;
}

void TSoilPropsForm::FillRecord(int record) {
    const TDecode decode = chkDomains->isChecked() ? TDecode::Yes : TDecode::No;
    const auto grids = Grids();
    for (int grid = 0; grid < TSoilOverviewContent::kGridCount; ++grid)
        for (int row = 1; row < grids[grid]->rowCount(); ++row)
            grids[grid]->item(row, 1)->setText(m_content.Value(grid, row, record, decode));
}

void TSoilPropsForm::TabControl1Change() {
    FillRecord(TabControl1->CurrentIndex() + 1);
}

void TSoilPropsForm::chkDomainsClick() {
    if (m_suppressDomains)
        return;
    FillRecord(TabControl1->CurrentIndex() + 1);
    m_host.Preferences().DomainView = chkDomains->isChecked();
}

void TSoilPropsForm::reject() {
    // Escape closes the window like its close button, through the closing steps.
    close();
}

void TSoilPropsForm::closeEvent(QCloseEvent* event) {
    Guarded(
        [this] {
            m_host.EraseClickMarker();
            SaveWindowPlacement(*this);
        },
        this);
    event->accept();
}
