#include "classify/frmClassification.h"

#include "classify/ColorForm.h"
#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"
#include "settings/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

namespace {

constexpr int kWidth = 486;
// The client area of a 486 x 344 window.
constexpr int kHeight = 317;
constexpr int kRowHeight = 30;
// The spin box stops at the number of classes a legend holds.
constexpr int kMostClasses = kMaxClasses;

QLabel* MakeLabel(const QString& text, QWidget* parent, int x, int y, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// Range ends as plain decimal numbers: no exponent, no trailing zeros.
QString PlainNumber(double value) {
    QString text = QString::number(value, 'f', 6);
    while (text.contains('.') && (text.endsWith('0') || text.endsWith('.')))
        text.chop(1);
    return text == "-0" ? QString("0") : text;
}

void PaintAsButtonFace(QLineEdit& edit) {
    QPalette palette = edit.palette();
    const QColor face = QApplication::palette().color(QPalette::Button);
    palette.setColor(QPalette::Base, face);
    palette.setColor(QPalette::Disabled, QPalette::Base, face);
    edit.setPalette(palette);
}

void PaintWhite(QLineEdit& edit) {
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, Qt::white);
    edit.setPalette(palette);
}

} // namespace

TColorSwatch::TColorSwatch(QWidget* parent) : QWidget(parent) {
    setFixedSize(17, 17);
}

void TColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(QColor::fromRgb(Color | 0xFF000000u));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TLegendControls::TLegendControls(QWidget* parent, int row) : Row(row) {
    const int top = kRowHeight * row + 4;
    lblNumber = std::make_unique<QLabel>(QString::number(row + 1), parent);
    lblNumber->move(8, top + 3);
    lblNumber->adjustSize();
    chkVisible = std::make_unique<QCheckBox>(parent);
    chkVisible->setGeometry(32, top + 2, std::max(15, chkVisible->sizeHint().width()), 17);
    edtFrom = std::make_unique<QLineEdit>(parent);
    edtTo = std::make_unique<QLineEdit>(parent);
    edtCaption = std::make_unique<QLineEdit>(parent);
    const int editHeight = std::min(edtFrom->sizeHint().height(), kRowHeight - 4);
    edtFrom->setGeometry(100, top, 60, editHeight);
    edtTo->setGeometry(165, top, 60, editHeight);
    edtCaption->setGeometry(230, top, 120, editHeight);
    PaintWhite(*edtFrom);
    PaintWhite(*edtTo);
    shpColor = std::make_unique<TColorSwatch>(parent);
    shpColor->move(380, top + 2);
    btnColor = std::make_unique<QPushButton>("...", parent);
    btnColor->setGeometry(400, top + 2, 17, 17);
    btnColor->setAutoDefault(false);
    for (QWidget* control :
         std::initializer_list<QWidget*>{lblNumber.get(), chkVisible.get(), edtFrom.get(), edtTo.get(),
                                         edtCaption.get(), shpColor.get(), btnColor.get()}) {
        control->setProperty("row", row);
        control->show();
    }
    lblNumber->setObjectName(QString("lblNumber%1").arg(row));
    chkVisible->setObjectName(QString("chkVisible%1").arg(row));
    edtFrom->setObjectName(QString("edtFrom%1").arg(row));
    edtTo->setObjectName(QString("edtTo%1").arg(row));
    edtCaption->setObjectName(QString("edtCaption%1").arg(row));
    shpColor->setObjectName(QString("shpColor%1").arg(row));
    btnColor->setObjectName(QString("btnColor%1").arg(row));
}

TLegendControls::~TLegendControls() = default;

TfrmClassification::TfrmClassification(QWidget* parent) : QDialog(parent) {
    setObjectName("frmClassification");
    setWindowTitle("Classification");
    setFixedWidth(kWidth);
    setMinimumHeight(220);
    resize(kWidth, kHeight);

    Label1 = MakeLabel("Theme Title", this, 8, 12, "Label1");
    edtTitle = new QLineEdit(this);
    edtTitle->setObjectName("edtTitle");
    edtTitle->setGeometry(Label1->geometry().right() + 12, 8, 233, edtTitle->sizeHint().height());
    auto* bevel = new QFrame(this);
    bevel->setObjectName("Bevel1");
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setGeometry(8, 38, kWidth - 16, 4);

    lblClassMEthod = MakeLabel("Classification method:", this, 8, 48, "lblClassMEthod");
    lblNrClasses = MakeLabel("Number of classes", this, 164, 48, "lblNrClasses");
    lblMin = MakeLabel("Min:", this, 290, 48, "lblMin");
    lblMax = MakeLabel("Max:", this, 384, 48, "lblMax");

    SortMethodCombo = new QComboBox(this);
    SortMethodCombo->setObjectName("SortMethodCombo");
    SortMethodCombo->addItems({"Equal interval", "Quantiles", "Standardized", "Pre-defined", "Manual"});
    const int controlHeight = SortMethodCombo->sizeHint().height();
    SortMethodCombo->setGeometry(8, 64, 148, controlHeight);
    SpinEdit = new QSpinBox(this);
    SpinEdit->setObjectName("SpinEdit");
    SpinEdit->setRange(2, kMostClasses);
    SpinEdit->setValue(4);
    SpinEdit->setGeometry(164, 64, 64, controlHeight);
    EdtMinimum = new QLineEdit(this);
    EdtMinimum->setObjectName("EdtMinimum");
    EdtMaximum = new QLineEdit(this);
    EdtMaximum->setObjectName("EdtMaximum");
    for (QLineEdit* edit : {EdtMinimum, EdtMaximum}) {
        edit->setReadOnly(true);
        PaintAsButtonFace(*edit);
    }
    EdtMinimum->setGeometry(290, 64, 86, controlHeight);
    EdtMaximum->setGeometry(384, 64, 86, controlHeight);

    MakeLabel("Visible", this, 32, 88);
    MakeLabel("From", this, 112, 88);
    MakeLabel("To", this, 176, 88);
    MakeLabel("Caption", this, 256, 88);
    MakeLabel("Symbol", this, 376, 88);

    pnlLegend = new QScrollArea(this);
    pnlLegend->setObjectName("pnlLegend");
    pnlLegend->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pnlLegend->setWidgetResizable(false);
    m_rowsHolder = new QWidget;
    m_rowsHolder->setObjectName("pnlLegendRows");
    m_rowsHolder->resize(440, 8);
    pnlLegend->setWidget(m_rowsHolder);

    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    btnOK = new QPushButton("&OK", this);
    btnOK->setObjectName("btnOK");
    btnApply = new QPushButton("&Apply", this);
    btnApply->setObjectName("btnApply");
    for (QPushButton* button : {btnCancel, btnOK, btnApply})
        button->setAutoDefault(false);

    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnOK, &QPushButton::clicked, this, [this] { Guarded([this] { btnOKClick(); }, this); });
    connect(btnApply, &QPushButton::clicked, this, [this] { Guarded([this] { btnApplyClick(); }, this); });
    connect(SortMethodCombo, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { SortMethodComboChange(index); }, this); });
    connect(SpinEdit, &QSpinBox::valueChanged, this, [this] { Guarded([this] { SpinEditChange(); }, this); });

    // Escape and Enter act wherever the focus is in this window.
    qApp->installEventFilter(this);

    // A window placed before comes back there; otherwise it opens centred on its parent (never
    // maximised, as a window of the frame without a stored place would be).
    if (TRegistry(TSettingsStore::Global()).KeyExists(QString(kFormsKey) + "\\" + objectName()))
        RestoreWindowPlacement(*this);
}

TfrmClassification::~TfrmClassification() {
    qApp->removeEventFilter(this);
    m_rows.clear();
}

void TfrmClassification::OpenClassification(TClassificationTarget* map, TQEVmanager& legend) {
    m_map = map;
    m_legend = &legend;
    LoadFromLegend();
    BuildRows();
    m_startingUp = false;
}

void TfrmClassification::LoadFromLegend() {
    m_copy = m_legend->Classes();
}

void TfrmClassification::StoreToLegend() {
    TQEVmanager& legend = *m_legend;
    // The title renames the theme itself. The library owns its themes as modifiable records; the
    // legend only refers to its theme read-only.
    if (legend.Theme)
        const_cast<TQEV_Layer*>(legend.Theme)->LayerName = edtTitle->text();
    legend.SetClasses(m_copy);
}

void TfrmClassification::ShowMethod(int method) {
    const QSignalBlocker blocker(SortMethodCombo);
    SortMethodCombo->setCurrentIndex(method);
}

void TfrmClassification::BuildRows() {
    const TQEVmanager& legend = *m_legend;
    edtTitle->setText(legend.Theme ? legend.Theme->LayerName : QString());
    ShowMethod(m_copy.Method);
    {
        const QSignalBlocker blocker(SpinEdit);
        SpinEdit->setValue(m_copy.NumClasses);
    }
    EdtMinimum->setText(PlainNumber(legend.RangeMin));
    EdtMaximum->setText(PlainNumber(legend.RangeMax));

    pnlLegend->hide();
    m_rows.clear();
    const int count = m_copy.Count();
    m_rowsHolder->resize(std::max(pnlLegend->viewport()->width(), 425), kRowHeight * count + 8);
    for (int i = 0; i < count; ++i) {
        auto row = std::make_unique<TLegendControls>(m_rowsHolder, i);
        row->chkVisible->setChecked(m_copy.Visible[i]);
        connect(row->chkVisible.get(), &QCheckBox::toggled, this,
                [this, i](bool on) { m_copy.Visible[i] = on; });
        if (i == 0) {
            row->edtFrom->clear();
            row->edtFrom->setEnabled(false);
            PaintAsButtonFace(*row->edtFrom);
        } else {
            row->edtFrom->setText(BoundText(m_copy.Breaks[i - 1], m_copy.Decimals));
        }
        if (i == count - 1) {
            row->edtTo->clear();
            row->edtTo->setEnabled(false);
            PaintAsButtonFace(*row->edtTo);
        } else {
            row->edtTo->setText(BoundText(m_copy.Breaks[i], m_copy.Decimals));
        }
        // Typed bounds make the classification manual; they are read when it is applied.
        for (QLineEdit* bound : {row->edtFrom.get(), row->edtTo.get()})
            connect(bound, &QLineEdit::textEdited, this, [this] { ShowMethod(cmManual); });
        row->edtCaption->setText(m_copy.ClassLabels[i]);
        connect(row->edtCaption.get(), &QLineEdit::textChanged, this,
                [this, i](const QString& text) { m_copy.ClassLabels[i] = text; });
        row->shpColor->Color = m_copy.ClassColors[i];
        connect(row->btnColor.get(), &QPushButton::clicked, this,
                [this, i] { Guarded([this, i] { PickRowColor(i); }, this); });
        m_rows.push_back(std::move(row));
    }
    pnlLegend->show();
}

void TfrmClassification::PickRowColor(int row) {
    QRgb color = m_copy.ClassColors[row];
    if (!PickColor(color, this))
        return;
    m_copy.ClassColors[row] = color;
    if (row < int(m_rows.size())) {
        m_rows[row]->shpColor->Color = color;
        m_rows[row]->shpColor->update();
    }
}

void TfrmClassification::ReadManualBreaks() {
    m_copy.Method = static_cast<std::uint8_t>(std::max(0, SortMethodCombo->currentIndex()));
    if (m_copy.Method != cmManual)
        return;
    const int last = std::min(m_copy.NumClasses, int(m_rows.size())) - 2;
    for (int i = 0; i <= last; ++i) {
        bool ok = false;
        const double bound = m_rows[i]->edtTo->text().trimmed().toDouble(&ok);
        // The first text that is no number ends the reading; later bounds keep their values.
        if (!ok)
            return;
        m_copy.Breaks[i] = bound;
    }
}

void TfrmClassification::ApplyToLegend() {
    ReadManualBreaks();
    StoreToLegend();
    m_legend->Classify(m_copy.Method);
}

void TfrmClassification::btnApplyClick() {
    ApplyToLegend();
    LoadFromLegend();
    BuildRows();
    if (m_map)
        m_map->Redraw();
}

void TfrmClassification::btnOKClick() {
    ApplyToLegend();
    accept();
}

void TfrmClassification::SortMethodComboChange(int index) {
    m_copy.Method = static_cast<std::uint8_t>(std::max(0, index));
    btnApplyClick();
}

void TfrmClassification::SpinEditChange() {
    if (m_startingUp || !m_legend)
        return;
    if (SortMethodCombo->currentIndex() == cmPredefined) {
        ShowMethod(cmManual);
        m_copy.Method = cmManual;
    }
    if (!SpinEdit->cleanText().isEmpty())
        m_copy.NumClasses = std::clamp(SpinEdit->value(), 0, kMaxClasses);
    if (SortMethodCombo->currentIndex() != cmManual)
        btnApplyClick();
    BuildRows();
}

void TfrmClassification::done(int result) {
    // The rows go with the dialog: a key that closes it may still be on its way to one of them.
    SaveWindowPlacement(*this);
    QDialog::done(result);
}

bool TfrmClassification::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && isVisible()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
        // Enter closes at once: only what Apply already wrote reaches the legend.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmClassification::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int height = event->size().height();
    const int buttonHeight = btnOK->sizeHint().height();
    const int top = height - 29 - (buttonHeight - 25) / 2;
    int left = kWidth - 8 - 3 * 75 - 2 * 6;
    for (QPushButton* button : {btnCancel, btnOK, btnApply}) {
        button->setGeometry(left, top, 75, buttonHeight);
        left += 75 + 6;
    }
    pnlLegend->setGeometry(8, 104, 465, std::max(40, height - 140));
}
