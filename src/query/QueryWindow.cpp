#include "query/QueryWindow.h"

#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "db/DataAccess.h"
#include "db/TAMO.h"
#include "query/SelectionCsv.h"
#include "query/SmuQuery.h"
#include "raster/AreaStatistics.h"
#include "raster/WorldAreas.h"
#include "reports/ReportHost.h"
#include "reports/ReportPlacement.h"
#include "reports/SmuCsv.h"
#include "settings/Preferences.h"
#include "settings/WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QThreadPool>

namespace {
constexpr int kClientWidth = 368;
constexpr int kClientHeight = 237;
constexpr int kOperatorSize = 25;

struct TOperatorButton {
    const char* Name;
    const char* Caption;
    int Column;
    int Row;
};
constexpr TOperatorButton kOperators[11] = {
    {"btnEqual", "=", 0, 0},     {"btnLess", "<", 1, 0},       {"btnGreater", ">", 2, 0},
    {"btnNotEqual", "<>", 0, 1}, {"btnLessEqual", "<=", 1, 1}, {"btnGreaterEqual", ">=", 2, 1},
    {"btnQuote", "\"", 3, 1},    {"btnAnd", "And", 0, 2},      {"btnOr", "Or", 1, 2},
    {"btnNot", "Not", 2, 2},     {"btnLike", "Like", 3, 2},
};

QIcon ColorSwatch(QRgb rgb) {
    QPixmap swatch(16, 12);
    swatch.fill(QColor::fromRgb(rgb));
    QPainter painter(&swatch);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    return QIcon(swatch);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int x, int y, int width,
                        int height) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, width, height);
    button->setAutoDefault(false);
    return button;
}
} // namespace

TQueryWindow::TQueryWindow(TReportHost& host, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint),
      m_host(host) {
    setObjectName("QueryWindow");
    setWindowTitle("Data Query");
    setModal(false);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    GroupBox1 = new QGroupBox("Table", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(8, 4, kClientWidth - 16, 44);
    RadioButton1 = new QRadioButton("SMU properties", GroupBox1);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton1->move(10, 20);
    RadioButton1->adjustSize();
    RadioButton2 = new QRadioButton("Dominant Soil | Depth Layer D1", GroupBox1);
    RadioButton2->setObjectName("RadioButton2");
    RadioButton2->move(std::max(140, RadioButton1->x() + RadioButton1->width() + 16), 20);
    RadioButton2->adjustSize();
    RadioButton1->setChecked(true);

    Label3 = MakeLabel(this, "Label3", "Data Fields", 8, 54);
    lstFields = new QListWidget(this);
    lstFields->setObjectName("lstFields");
    lstFields->setGeometry(8, 70, 121, 89);

    const int operatorLeft = 136;
    for (int i = 0; i < 11; ++i) {
        const TOperatorButton& op = kOperators[i];
        QPushButton* button =
            MakeButton(this, op.Name, op.Caption, operatorLeft + op.Column * (kOperatorSize + 1),
                       70 + op.Row * (kOperatorSize + 1), kOperatorSize, kOperatorSize);
        OperatorButtons[static_cast<std::size_t>(i)] = button;
        const QString caption = op.Caption;
        connect(button, &QPushButton::clicked, this,
                [this, caption] { Guarded([this, caption] { btnOperationClick(caption); }, this); });
    }
    btnEqual = OperatorButtons[0];
    btnEqual->setToolTip("Equal");

    Label2 = MakeLabel(this, "Label2", "Selection color:", 248, 54);
    ColorBox = new QComboBox(this);
    ColorBox->setObjectName("ColorBox");
    ColorBox->setGeometry(248, 70, kClientWidth - 8 - 248, 22);
    for (const TNamedColor& color : StandardColors())
        ColorBox->addItem(ColorSwatch(color.Rgb), color.Name, QVariant::fromValue<uint>(color.Rgb));
    ColorBox->setCurrentIndex(ColorBox->findText("Red"));

    // Room for the longer layer statement on two lines, so that the box below stays in place.
    Label1 = MakeLabel(this, "Label1", StatementStart(TQueryTable::Smu), 8, 160);
    Label1->setWordWrap(true);
    Label1->setGeometry(8, 160, 353, 2 * Label1->fontMetrics().lineSpacing() + 2);
    edtSQL = new QLineEdit(this);
    edtSQL->setObjectName("edtSQL");
    edtSQL->setGeometry(8, Label1->y() + Label1->height() + 2, 353, 22);
    edtSQL->installEventFilter(this);

    lblRecords = new QLabel(this);
    lblRecords->setObjectName("lblRecords");
    QFont italic = lblRecords->font();
    italic.setItalic(true);
    lblRecords->setFont(italic);
    lblRecords->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblRecords->setGeometry(8, edtSQL->y() + edtSQL->height() + 1, 353,
                            lblRecords->fontMetrics().height() + 2);

    const int buttonTop = lblRecords->y() + lblRecords->height() + 1;
    btnClear = MakeButton(this, "btnClear", "&Clear", 8, buttonTop, 75, 25);
    btnCancel = MakeButton(this, "btnCancel", "C&ancel", kClientWidth - 8 - 75 - 160, buttonTop, 75, 25);
    btnCancel->setEnabled(false);
    btnClose = MakeButton(this, "btnClose", "&Close", kClientWidth - 8 - 75 - 80, buttonTop, 75, 25);
    btnRun = MakeButton(this, "btnRun", "&Run", kClientWidth - 8 - 75, buttonTop, 75, 25);
    // The row is full: the selection's own command goes below Clear.
    const int secondRowTop = buttonTop + 25 + 5;
    btnSaveSelection = MakeButton(this, "btnSaveSelection", "&Save Selection...", 8, secondRowTop, 75, 25);
    btnSaveSelection->resize(std::max(75, btnSaveSelection->sizeHint().width()), 25);
    setFixedSize(kClientWidth, std::max(kClientHeight, secondRowTop + 25 + 6));

    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            Guarded([this] { RadioButtonClick(); }, this);
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            Guarded([this] { RadioButtonClick(); }, this);
    });
    connect(lstFields, &QListWidget::itemDoubleClicked, this,
            [this] { Guarded([this] { lstFieldsDblClick(); }, this); });
    connect(ColorBox, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { ColorBoxChange(index); }, this); });
    connect(btnRun, &QPushButton::clicked, this, [this] { Guarded([this] { btnRunClick(); }, this); });
    connect(btnClear, &QPushButton::clicked, this, [this] { Guarded([this] { btnClearClick(); }, this); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { Guarded([this] { btnCancelClick(); }, this); });
    connect(btnClose, &QPushButton::clicked, this, [this] { Guarded([this] { btnCloseClick(); }, this); });
    connect(btnSaveSelection, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnSaveSelectionClick(); }, this); });
    if (TWorldAreas* areas = m_host.WorldAreas())
        connect(areas, &TWorldAreas::Ready, this, [this] { Guarded([this] { WorldAreasReady(); }, this); });

    FormCreate();
}

TQueryWindow::~TQueryWindow() {
    if (m_query)
        m_query->Cancel();
}

void TQueryWindow::FormCreate() {
    RestoreOrCentre(*this);
    SelectColor(m_host.Preferences().SELECT_COLOR);
    lblRecords->clear();
    // The condition comes back in the table it was written for.
    if (m_host.Preferences().SQLLayers)
        RadioButton2->setChecked(true); // fills the list as a click does
    else
        RadioButtonClick();
    edtSQL->setText(m_host.Preferences().SQL);
}

void TQueryWindow::SelectColor(int selectColor) {
    const QRgb wanted = static_cast<QRgb>(selectColor) & 0x00FFFFFFu;
    for (int i = 0; i < ColorBox->count(); ++i) {
        if ((ColorBox->itemData(i).toUInt() & 0x00FFFFFFu) == wanted) {
            ColorBox->setCurrentIndex(i);
            return;
        }
    }
    // A colour stored by another means: shown as what it is rather than as a wrong name.
    const QRgb rgb = 0xFF000000u | wanted;
    ColorBox->addItem(ColorSwatch(rgb), QColor::fromRgb(rgb).name(QColor::HexRgb).toUpper(),
                      QVariant::fromValue<uint>(rgb));
    ColorBox->setCurrentIndex(ColorBox->count() - 1);
}

TQueryTable TQueryWindow::Table() const {
    return RadioButton2->isChecked() ? TQueryTable::Layers : TQueryTable::Smu;
}

void TQueryWindow::RadioButtonClick() {
    lstFields->clear();
    edtSQL->clear();
    m_editBeforeFocusLoss.reset();
    const TTAMO& database = m_host.Database();
    const auto addNames = [this](const auto& names) {
        for (const QString& name : names)
            if (!name.trimmed().isEmpty())
                lstFields->addItem(name.trimmed());
    };
    if (Table() == TQueryTable::Smu)
        addNames(database.SmuMeta().FieldNames);
    else
        addNames(database.LayerMeta().FieldNames);
    Label1->setText(StatementStart(Table()));
}

void TQueryWindow::InsertToken(const QString& token) {
    TConditionEdit edit;
    if (!edtSQL->hasFocus() && m_editBeforeFocusLoss && m_editBeforeFocusLoss->Text == edtSQL->text()) {
        edit = *m_editBeforeFocusLoss;
    } else {
        edit.Text = edtSQL->text();
        edit.Caret = edtSQL->cursorPosition();
        edit.SelectionStart = edtSQL->hasSelectedText() ? edtSQL->selectionStart() : edit.Caret;
        edit.SelectionLength =
            edtSQL->hasSelectedText() ? static_cast<int>(edtSQL->selectedText().size()) : 0;
    }
    const TConditionEdit result = ::InsertToken(edit, token);
    edtSQL->setFocus();
    edtSQL->setText(result.Text);
    edtSQL->deselect();
    edtSQL->setCursorPosition(result.Caret);
    m_editBeforeFocusLoss.reset();
}

bool TQueryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtSQL) {
        if (event->type() == QEvent::FocusOut) {
            TConditionEdit edit;
            edit.Text = edtSQL->text();
            edit.Caret = edtSQL->cursorPosition();
            edit.SelectionStart = edtSQL->hasSelectedText() ? edtSQL->selectionStart() : edit.Caret;
            edit.SelectionLength =
                edtSQL->hasSelectedText() ? static_cast<int>(edtSQL->selectedText().size()) : 0;
            m_editBeforeFocusLoss = edit;
        } else if (event->type() == QEvent::FocusIn) {
            m_editBeforeFocusLoss.reset();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TQueryWindow::lstFieldsDblClick() {
    // Nothing is inserted without a chosen field.
    const QListWidgetItem* item = lstFields->currentItem();
    if (!item || !item->isSelected())
        return;
    InsertToken(item->text());
}

void TQueryWindow::btnOperationClick(const QString& caption) {
    InsertToken(caption);
}

void TQueryWindow::ColorBoxChange(int index) {
    if (index < 0)
        return;
    m_host.Preferences().SELECT_COLOR = static_cast<int>(0xFF000000u | ColorBox->itemData(index).toUInt());
}

struct TQueryWindow::TQueryOutcome {
    TIntList Ids;
    bool Cancelled = false;
    QString Error; // empty on success
};

void TQueryWindow::btnRunClick() {
    if (m_query)
        return;
    const TTAMO& database = m_host.Database();
    auto query = std::make_shared<TSmuQuery>(database.ConnectionString(), database.CacheFolder());
    m_query = query;
    m_queryTable = Table();
    m_queryCondition = edtSQL->text();
    SetBusy(true);
    // The query works on a connection of its own; its outcome comes back through the event loop
    // and is taken only while this window still waits for this very query.
    QPointer<TQueryWindow> window(this);
    const TQueryTable table = m_queryTable;
    const QString condition = m_queryCondition;
    QThreadPool::globalInstance()->start([window, query, table, condition] {
        TQueryOutcome outcome;
        try {
            outcome.Ids = query->Run(table, condition);
        } catch (const TQueryInterrupted&) {
            outcome.Cancelled = true;
        } catch (const std::exception& error) {
            outcome.Error = QString::fromStdString(error.what());
        }
        QMetaObject::invokeMethod(
            qApp,
            [window, query, outcome] {
                if (window && window->m_query == query)
                    Guarded([&] { window->QueryDone(outcome); }, window);
            },
            Qt::QueuedConnection);
    });
}

void TQueryWindow::QueryDone(const TQueryOutcome& outcome) {
    m_query.reset();
    SetBusy(false);
    if (outcome.Cancelled) {
        lblRecords->setText("(query cancelled)");
        return;
    }
    // A condition the database rejects shows its message; the selection, the map, the label and
    // the stored condition stay as they were.
    if (!outcome.Error.isEmpty()) {
        lblRecords->setText(m_recordsText);
        throw TAMOError(outcome.Error);
    }
    m_host.Database().SetSelection(outcome.Ids);
    m_host.SelectionChanged();
    QPalette palette = lblRecords->palette();
    palette.setColor(QPalette::WindowText,
                     QColor::fromRgb(static_cast<QRgb>(m_host.Preferences().SELECT_COLOR)));
    lblRecords->setPalette(palette);
    m_selectedCount = outcome.Ids.Count();
    ShowSelectedCount();
    m_host.Preferences().SQL = m_queryCondition;
    m_host.Preferences().SQLLayers = m_queryTable == TQueryTable::Layers;
}

void TQueryWindow::btnCancelClick() {
    if (m_query)
        m_query->Cancel();
}

void TQueryWindow::SetBusy(bool busy) {
    for (QWidget* control : std::initializer_list<QWidget*>{btnRun, btnClear, btnSaveSelection, GroupBox1})
        control->setEnabled(!busy);
    btnCancel->setEnabled(busy);
    if (busy) {
        setCursor(Qt::BusyCursor);
        m_recordsText = lblRecords->text();
        lblRecords->setText("(running the query ...)");
    } else {
        unsetCursor();
    }
}

namespace {
std::vector<int> SelectedIds(const TTAMO& database) {
    return std::vector<int>(database.Selection().begin(), database.Selection().end());
}
} // namespace

void TQueryWindow::ShowSelectedCount() {
    if (m_selectedCount < 0)
        return;
    QString text =
        QString::number(m_selectedCount) + (m_selectedCount == 1 ? " unit selected" : " units selected");
    TWorldAreas* areas = m_host.WorldAreas();
    if (const auto raster = m_host.ActiveRaster(); areas && raster) {
        if (const auto table = areas->Areas(raster))
            text += ", " + AreaText(AreaOfUnits(*table, SelectedIds(m_host.Database())));
        else
            text += ", counting the area ...";
    }
    lblRecords->setText(text);
}

void TQueryWindow::WorldAreasReady() {
    ShowSelectedCount();
    if (!m_pendingSavePath.isEmpty()) {
        const QString path = m_pendingSavePath;
        m_pendingSavePath.clear();
        SaveSelection(path);
    }
}

void TQueryWindow::btnSaveSelectionClick() {
    const TTAMO& database = m_host.Database();
    if (!database.SelectionActive() || database.Selection().Count() == 0) {
        Dialogs::ShowMessage(this, "No soil mapping units are selected.");
        return;
    }
    const QStringList chosen =
        Dialogs::ChooseFiles(this, {"Save Selection", "CSV file|*.csv", QString(), Dialogs::TFileMode::Save});
    if (chosen.isEmpty())
        return;
    const QString path = SmuCsvFileName(chosen.first());
    if (!Dialogs::ConfirmReplace(this, path, "Save Selection"))
        return;
    SaveSelection(path);
}

void TQueryWindow::SaveSelection(const QString& path) {
    TWorldAreas* areas = m_host.WorldAreas();
    const auto raster = m_host.ActiveRaster();
    if (!areas || !raster) {
        Dialogs::ShowError(this, "The areas of the units are counted on a map: open a map window first.");
        return;
    }
    const auto table = areas->Areas(raster);
    if (!table) {
        // Written once the areas are counted (WorldAreasReady).
        m_pendingSavePath = path;
        lblRecords->setText("Counting the areas of the units to save them ...");
        return;
    }
    const TTAMO& database = m_host.Database();
    WriteFileReplacing(path, SelectionCsvText(DescribeUnits(database, SelectedIds(database), *table)));
    Dialogs::ShowMessage(this, "Selection saved as " + QFileInfo(path).fileName() + ".");
    ShowSelectedCount();
}

void TQueryWindow::btnClearClick() {
    edtSQL->clear();
    edtSQL->setFocus();
    m_host.Database().SetSelectionActive(false);
}

void TQueryWindow::btnCloseClick() {
    close();
    m_host.SelectionChanged();
}

void TQueryWindow::reject() {
    // Escape closes the window through the same steps as its close box.
    close();
}

void TQueryWindow::closeEvent(QCloseEvent* event) {
    Guarded(
        [this] {
            // A query still running ends with the window; its result is not wanted any more.
            if (m_query) {
                m_query->Cancel();
                m_query.reset();
                SetBusy(false);
                lblRecords->setText(m_recordsText);
            }
            m_host.Database().SetSelectionActive(false);
            SaveWindowPlacement(*this);
        },
        this);
    event->accept();
}
