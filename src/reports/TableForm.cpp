#include "reports/TableForm.h"

#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "db/TAMO.h"
#include "reports/ReportHost.h"
#include "reports/ReportPlacement.h"
#include "reports/SmuCsv.h"
#include "settings/Preferences.h"
#include "settings/WindowPlacement.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {
constexpr int kRowHeight = 18;
constexpr int kValueColumnWidth = 130;
constexpr int kValueLeft = 188;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

QColor HeadingColor() {
    return QApplication::palette().color(QPalette::Button);
}
} // namespace

// The cells of the grid: the table content rendered with the Domains state of the last fill.
class TSmuGridModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    // A new column count resets the view (column widths and selection).
    void SetColumnCount(int columns) {
        if (columns == m_columns)
            return;
        beginResetModel();
        m_rows.clear();
        m_columns = columns;
        endResetModel();
    }

    void SetRows(std::vector<QStringList> rows) {
        m_rows = std::move(rows);
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : TSmuTableContent::kRowCount;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_columns;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: {
            const auto row = static_cast<std::size_t>(index.row());
            return row < m_rows.size() ? m_rows[row].value(index.column()) : QString();
        }
        case Qt::BackgroundRole:
            // Column 0 holds the row headings.
            if (index.column() == 0)
                return HeadingColor();
            return {};
        case Qt::TextAlignmentRole:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    std::vector<QStringList> m_rows;
    int m_columns = 1;
};

namespace {

// Paints the depth-layer separator rows: solid in the shadow colour, the layer named in bold in
// the heading column.
class TSeparatorDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int layer = TSmuTableContent::SeparatorLayer(index.row());
        if (layer == 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->fillRect(option.rect, option.palette.color(QPalette::Dark));
        if (index.column() == 0) {
            QFont bold = option.font;
            bold.setBold(true);
            painter->setFont(bold);
            painter->setPen(option.palette.color(QPalette::ButtonText));
            const int points = std::max(0, static_cast<int>(bold.pointSizeF()));
            const QRect text = option.rect.adjusted(points - 2, 0, 0, 0);
            painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                              "Depth Layer D" + QString::number(layer));
        }
        painter->restore();
    }
};

// Lets the user drag the line between two columns to resize them (the grid shows no header).
class TColumnLineSizer : public QObject {
public:
    // `sizedByUser` runs when the user starts dragging a column line.
    TColumnLineSizer(QTableView& grid, std::function<void()> sizedByUser)
        : QObject(&grid), m_grid(grid), m_sizedByUser(std::move(sizedByUser)) {
        grid.viewport()->setMouseTracking(true);
        grid.viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int x = mouse->position().toPoint().x();
            if (m_column >= 0) {
                m_grid.setColumnWidth(m_column, std::max(8, m_startWidth + x - m_startX));
                return true;
            }
            if (ColumnEndingAt(x) >= 0)
                m_grid.viewport()->setCursor(Qt::SplitHCursor);
            else
                m_grid.viewport()->unsetCursor();
            return false;
        }
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            const int x = mouse->position().toPoint().x();
            m_column = ColumnEndingAt(x);
            if (m_column < 0)
                return false;
            m_startX = x;
            m_startWidth = m_grid.columnWidth(m_column);
            m_sizedByUser();
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (m_column < 0)
                return false;
            m_column = -1;
            return true;
        case QEvent::Leave:
            if (m_column < 0)
                m_grid.viewport()->unsetCursor();
            return false;
        default:
            return false;
        }
    }

private:
    // The column whose right edge lies within two pixels of x, -1 when none.
    int ColumnEndingAt(int x) const {
        const int columns = m_grid.model() ? m_grid.model()->columnCount() : 0;
        for (int column = 0; column < columns; ++column) {
            const int edge = m_grid.columnViewportPosition(column) + m_grid.columnWidth(column);
            if (std::abs(x - edge) <= 2)
                return column;
        }
        return -1;
    }

    QTableView& m_grid;
    std::function<void()> m_sizedByUser;
    int m_column = -1;
    int m_startX = 0;
    int m_startWidth = 0;
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->resize(kButtonWidth, kButtonHeight);
    return button;
}

} // namespace

TTableForm::TTableForm(TReportHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_host(host) {
    setObjectName("TableForm");
    setWindowTitle("Soil Mapping Unit - Details");
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(828, 828);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(97);
    lblCover = MakeLabel(Panel1, "lblCover", "Coverage:", 6, 6, true);
    lblCov = MakeLabel(Panel1, "lblCov", "", kValueLeft, 6, false);
    lblMu_global = MakeLabel(Panel1, "lblMu_global", "Soil Mapping Unit (SMU):", 6, 24, true);
    lblmu_glob = MakeLabel(Panel1, "lblmu_glob", "", kValueLeft, 24, false);
    Label11 = MakeLabel(Panel1, "Label11", "Dominant Soil Unit (WRB 2022):", 6, 42, true);
    lblWRB2 = MakeLabel(Panel1, "lblWRB2", "", kValueLeft, 42, false);
    Label2 = MakeLabel(Panel1, "Label2", "Dominant Soil Unit (OXU 1990):", 6, 60, true);
    lblOXU90 = MakeLabel(Panel1, "lblOXU90", "", kValueLeft, 60, false);
    // The values start at 188, or further right where this platform's bold captions need it.
    for (QLabel* caption : {lblCover, lblMu_global, Label11, Label2})
        m_valueLeft = std::max(m_valueLeft, caption->x() + caption->width() + 6);
    for (QLabel* value : {lblCov, lblmu_glob, lblWRB2, lblOXU90})
        value->move(m_valueLeft, value->y());
    Label1 = MakeLabel(Panel1, "Label1", "Selected SMU's", 0, 6, false);
    cmbSMUs = new QComboBox(Panel1);
    cmbSMUs->setObjectName("cmbSMUs");
    cmbSMUs->setEditable(false);
    cmbSMUs->setFixedWidth(std::max(73, Label1->width()));
    connect(cmbSMUs, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { cmbSMUsChange(index); }, this); });

    StringGridHeader = new QTableWidget(1, 3, Panel1);
    StringGridHeader->setObjectName("StringGridHeader");
    StringGridHeader->horizontalHeader()->hide();
    StringGridHeader->verticalHeader()->hide();
    StringGridHeader->verticalHeader()->setMinimumSectionSize(1);
    StringGridHeader->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGridHeader->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGridHeader->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGridHeader->setFrameShape(QFrame::NoFrame);
    StringGridHeader->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridHeader->setSelectionMode(QAbstractItemView::NoSelection);
    StringGridHeader->setFocusPolicy(Qt::NoFocus);
    StringGridHeader->setFixedHeight(kRowHeight + 1);

    StringGrid = new QTableView(this);
    StringGrid->setObjectName("StringGrid");
    m_model = new TSmuGridModel(StringGrid);
    StringGrid->setModel(m_model);
    StringGrid->setItemDelegate(new TSeparatorDelegate(StringGrid));
    StringGrid->horizontalHeader()->hide();
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setMinimumSectionSize(1);
    StringGrid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid->horizontalHeader()->setDefaultSectionSize(kValueColumnWidth);
    StringGrid->horizontalHeader()->setMinimumSectionSize(8);
    StringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setWordWrap(false);
    StringGrid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    new TColumnLineSizer(*StringGrid, [this] { m_columnsSizedByUser = true; });
    StringGrid->viewport()->installEventFilter(this);
    // The heading cells above follow the grid's columns.
    connect(StringGrid->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this] { PlaceGridHeader(); });
    connect(StringGrid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { PlaceGridHeader(); });

    Panel = new QWidget(this);
    Panel->setObjectName("Panel");
    Panel->setFixedHeight(40);
    chkDomains = new QCheckBox("Domains", Panel);
    chkDomains->setObjectName("chkDomains");
    chkDomains->move(8, 12);
    chkDomains->adjustSize();
    btnCopy = MakeButton(Panel, "btnCopy", "&Save As...");
    btnHighlight = MakeButton(Panel, "btnHighlight", "&Highlight");
    btnClose = MakeButton(Panel, "btnClose", "&Close");
    connect(chkDomains, &QCheckBox::toggled, this, [this] { Guarded([this] { chkDomainsClick(); }, this); });
    connect(btnCopy, &QPushButton::clicked, this, [this] { Guarded([this] { btnCopyClick(); }, this); });
    connect(btnHighlight, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnHighlightClick(); }, this); });
    connect(btnClose, &QPushButton::clicked, this, [this] { Guarded([this] { btnCloseClick(); }, this); });
    Panel->installEventFilter(this);
    Panel1->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(StringGrid, 1);
    layout->addWidget(Panel);

    FormCreate();
}

TTableForm::~TTableForm() = default;

void TTableForm::FormCreate() {
    RestoreOrCentre(*this);
    m_suppressDomains = true;
    chkDomains->setChecked(m_host.Preferences().DomainView);
    m_suppressDomains = false;
    BuildGrid();
}

TDecode TTableForm::Decode() const {
    return chkDomains->isChecked() ? TDecode::Yes : TDecode::No;
}

bool TTableForm::ShowSMU(int smuId, TAddToList add) {
    m_currentSmu = smuId;
    const QString id = QString::number(smuId);
    TTAMO& database = m_host.Database();
    if (!database.FetchLayers(smuId)) {
        Dialogs::ShowError(this, "No record found in TAMO database (TAMO2_SMU_ID=" + id + ").");
        return false;
    }
    database.FetchSmu(smuId);
    TSmuTableContent content(database, smuId);
    // Rendered before anything on screen changes: a value that fails leaves the previous unit.
    m_rendered = content.Rows(Decode());
    m_renderedDecode = Decode();
    m_content = std::move(content);
    if (add == TAddToList::Yes && cmbSMUs->findText(id, Qt::MatchExactly) < 0)
        cmbSMUs->addItem(id);
    BuildGrid();
    for (int i = cmbSMUs->count() - 1; i >= 0; --i) {
        if (cmbSMUs->itemText(i) == id) {
            cmbSMUs->setCurrentIndex(i);
            break;
        }
    }
    return true;
}

void TTableForm::BuildGrid() {
    // Widths the user gave the columns stay from one unit to the next.
    std::vector<int> widths;
    for (int column = 1; column < m_model->columnCount(); ++column)
        widths.push_back(StringGrid->columnWidth(column));
    m_model->SetColumnCount(m_content.ColumnCount());
    if (m_columnsSizedByUser) {
        for (int column = 1; column < m_model->columnCount(); ++column)
            StringGrid->setColumnWidth(column,
                                       column <= int(widths.size()) ? widths[column - 1] : kValueColumnWidth);
    }

    StringGridHeader->setColumnCount(3);
    const auto heading = [this](int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setBackground(HeadingColor());
        item->setFlags(Qt::ItemIsEnabled);
        StringGridHeader->setItem(0, column, item);
    };
    heading(0, "Dominant Soil");
    heading(1, "Associated Soils and Inclusions");
    StringGridHeader->setColumnWidth(0, kValueColumnWidth);
    StringGridHeader->setColumnWidth(1, 300);
    FillValues();
    FitColumns();
    FormResize();
}

// The caption column fits its longest caption, within a third of the window; the value columns
// share the rest of the width, none narrower than their usual width (the grid scrolls then).
void TTableForm::FitColumns() {
    if (m_columnsSizedByUser || !m_model)
        return;
    const QFontMetrics metrics(StringGrid->font());
    const int margins = 2 * (StringGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 6;
    int longest = 0;
    for (int row = 0; row < m_model->rowCount(); ++row)
        longest = std::max(longest, metrics.horizontalAdvance(m_model->index(row, 0).data().toString()));
    const int caption = std::clamp(longest + margins, 40, std::max(40, width() / 3));
    StringGrid->setColumnWidth(0, caption);
    const int values = m_model->columnCount() - 1;
    if (values <= 0)
        return;
    const int free = StringGrid->viewport()->width() - caption;
    const int each = std::max(kValueColumnWidth, free / values);
    for (int column = 1; column <= values; ++column)
        StringGrid->setColumnWidth(column, each);
}

void TTableForm::FillValues() {
    const TDecode decode = Decode();
    const auto show = [&](QLabel* label, TSmuHeaderField field) {
        label->setText(m_content.HeaderValue(field, decode));
        // A text longer than the room before the list of units is read in full here.
        label->setToolTip(label->text());
        label->adjustSize();
    };
    show(lblCov, TSmuHeaderField::Coverage);
    show(lblmu_glob, TSmuHeaderField::SoilMappingUnit);
    show(lblWRB2, TSmuHeaderField::DominantWrb);
    show(lblOXU90, TSmuHeaderField::DominantOxu);
    if (!m_rendered || m_renderedDecode != decode)
        m_rendered = m_content.Rows(decode);
    m_model->SetRows(std::move(*m_rendered));
    m_rendered.reset();
    Panel1Resize();
}

void TTableForm::cmbSMUsChange(int index) {
    if (index < 0)
        return;
    ShowSMU(cmbSMUs->itemText(index).toInt(), TAddToList::No);
}

void TTableForm::chkDomainsClick() {
    if (m_suppressDomains)
        return;
    m_host.Preferences().DomainView = chkDomains->isChecked();
    FillValues();
}

void TTableForm::btnHighlightClick() {
    int count = 0;
    if (m_host.Database().SelectSmus("TAMO2_SMU", " mu_global = " + QString::number(m_currentSmu), count))
        m_host.SelectionChanged();
}

void TTableForm::btnCopyClick() {
    const QStringList chosen =
        Dialogs::ChooseFiles(this, {"Save As", "CSV file|*.csv", QString(), Dialogs::TFileMode::Save});
    if (chosen.isEmpty())
        return;
    const QString path = SmuCsvFileName(chosen.first());
    // Asked for the file written ("unit" and "unit.txt" write "unit.CSV"), not the name typed.
    if (!Dialogs::ConfirmReplace(this, path, "Save As"))
        return;
    const QStringList captions{lblCover->text(), lblMu_global->text(), Label11->text(), Label2->text()};
    WriteFileReplacing(path, SmuCsvText(m_content, Decode(), captions));
    Dialogs::ShowMessage(this, " TAMO2 SMU data saved as " + QFileInfo(path).fileName() + ".");
}

void TTableForm::btnCloseClick() {
    close();
}

void TTableForm::closeEvent(QCloseEvent* event) {
    // Also ends a selection made in the query window.
    Guarded(
        [this] {
            m_host.Database().SetSelectionActive(false);
            SaveWindowPlacement(*this);
            m_host.EraseClickMarker();
        },
        this);
    event->accept();
}

void TTableForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

bool TTableForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == Panel)
            PanelResize();
        else if (watched == StringGrid->viewport())
            FitColumns();
        else if (watched == Panel1)
            Panel1Resize();
    }
    return QWidget::eventFilter(watched, event);
}

void TTableForm::FormResize() {
    StringGridHeader->setColumnWidth(1, std::max(0, StringGrid->width() - StringGrid->columnWidth(0)));
    PlaceGridHeader();
}

void TTableForm::PanelResize() {
    const int width = Panel->width();
    const int top = (Panel->height() - kButtonHeight) / 2;
    btnCopy->move(width - 240, top);
    btnHighlight->move(width - 160, top);
    btnClose->move(width - 80, top);
    chkDomains->move(8, (Panel->height() - chkDomains->height()) / 2);
}

void TTableForm::Panel1Resize() {
    const int right = Panel1->width() - 8;
    Label1->move(right - cmbSMUs->width(), 6);
    cmbSMUs->move(right - cmbSMUs->width(), 6 + Label1->height() + 2);
    // Value texts run up to the list of selected units.
    const int valueWidth = std::max(40, right - cmbSMUs->width() - 8 - m_valueLeft);
    for (QLabel* label : {lblCov, lblmu_glob, lblWRB2, lblOXU90})
        label->setFixedWidth(valueWidth);
    PlaceGridHeader();
}

void TTableForm::PlaceGridHeader() {
    // Over grid columns 1 and 2 onward, wherever the grid is scrolled to.
    const int left = StringGrid->x() + StringGrid->viewport()->x();
    const int column1 =
        m_model->columnCount() > 1 ? StringGrid->columnViewportPosition(1) : StringGrid->columnWidth(0) + 1;
    if (m_model->columnCount() > 1)
        StringGridHeader->setColumnWidth(0, StringGrid->columnWidth(1));
    StringGridHeader->setGeometry(left + column1, 78, std::max(0, Panel1->width() - left - column1),
                                  kRowHeight + 1);
}
