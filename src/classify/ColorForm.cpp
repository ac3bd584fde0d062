#include "classify/ColorForm.h"

#include "common/Dialogs.h"
#include "common/Guarded.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

namespace {

constexpr int kPaletteColumns = 25;
constexpr int kPaletteRows = 19;
constexpr QSize kPaletteSize(337, 181);
constexpr QSize kSliderSize(150, 25);
// Gradients fill the top of a slider; the marker sits in the 8 rows below.
constexpr int kMarkerRows = 8;
// What the palette bitmap holds where no swatch is painted.
constexpr QRgb kUnpaintedColor = 0xFFFFFFFF;

QLabel* MakeLabel(const QString& text, QWidget* parent, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

TBitmapImage::TBitmapImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TBitmapImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(QPoint(0, 0), Bitmap);
}

int MarkerPositionOf(int value, int sliderWidth) {
    return value * (sliderWidth - 10) / 255 + 5;
}

int ChannelOfMarker(int marker, int sliderWidth) {
    return (marker - 5) * 255 / (sliderWidth - 10);
}

int ChannelOfPercent(int percent) {
    return std::clamp(percent, 0, 100) * 255 / 100;
}

void InvertMarker(QImage& bitmap, int x) {
    // The outline from (x, 19) to (x + 5, 24) to (x - 5, 24) and back; every line leaves out its
    // last point, so that each pixel is inverted once.
    const auto invert = [&bitmap](int px, int py) {
        if (px >= 0 && py >= 0 && px < bitmap.width() && py < bitmap.height())
            bitmap.setPixel(px, py, bitmap.pixel(px, py) ^ 0x00FFFFFFu);
    };
    for (int k = 0; k < 5; ++k)
        invert(x + k, 19 + k);
    for (int k = 0; k < 10; ++k)
        invert(x + 5 - k, 24);
    for (int k = 0; k < 5; ++k)
        invert(x - 5 + k, 24 - k);
}

TColorForm::TColorForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ColorForm");
    setWindowTitle("Color Definition");

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    TabSelect = new QWidget;
    TabSelect->setObjectName("TabSelect");
    TabBuild = new QWidget;
    TabBuild->setObjectName("TabBuild");
    PageControl1->addTab(TabSelect, "Select Color");
    PageControl1->addTab(TabBuild, "All Colors");

    ImageNetscape = new TBitmapImage(TabSelect);
    ImageNetscape->setObjectName("ImageNetscape");
    ImageNetscape->setGeometry(QRect(QPoint(0, 0), kPaletteSize));
    ImageNetscape->setCursor(Qt::PointingHandCursor);
    ImageNetscape->installEventFilter(this);
    TabSelect->setMinimumSize(kPaletteSize);

    auto* panel = new QFrame(TabBuild);
    pnlColor = panel;
    pnlColor->setObjectName("pnlColor");
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    panel->setGeometry(8, 8, 218, 128);

    const char* names[3] = {"Red", "Green", "Blue"};
    const char* imageNames[3] = {"imgRed", "imgGREEN", "imgBLUE"};
    const char* editNames[3] = {"edtRED", "edtGREEN", "edtBLUE"};
    for (int c = 0; c < 3; ++c) {
        const int y = 14 + 40 * c;
        MakeLabel(names[c], panel, 8, y + 4);
        TSlider& slider = Sliders[c];
        slider.Image = new TBitmapImage(panel);
        slider.Image->setObjectName(imageNames[c]);
        slider.Image->setGeometry(QRect(QPoint(60, y), kSliderSize));
        slider.Image->installEventFilter(this);
        slider.Image->Bitmap = QImage(kSliderSize, QImage::Format_RGB32);
        slider.Image->Bitmap.fill(Qt::white);
        MakeLabel(names[c], TabBuild, 240, y - 6);
        slider.Edit = new QLineEdit(TabBuild);
        slider.Edit->setObjectName(editNames[c]);
        slider.Edit->setGeometry(240, y + 10, 60, slider.Edit->sizeHint().height());
        slider.Edit->installEventFilter(this);
        // Read on every edit of the text: keys that leave the text alone (Tab, arrows) change
        // nothing, so walking through the boxes never shifts a channel by rounding.
        connect(slider.Edit, &QLineEdit::textEdited, this,
                [this, c] { Guarded([this, c] { EditChange(Sliders[c]); }, this); });
    }
    imgRed = Sliders[chRed].Image;
    imgGREEN = Sliders[chGreen].Image;
    imgBLUE = Sliders[chBlue].Image;
    edtRED = Sliders[chRed].Edit;
    edtGREEN = Sliders[chGreen].Edit;
    edtBLUE = Sliders[chBlue].Edit;
    SliderWidth = imgRed->width();

    // The pages are at least 345 x 209 and large enough for the palette in this style.
    const QSize pages = PageControl1->minimumSizeHint().expandedTo(QSize(345, 209));
    PageControl1->setGeometry(QRect(QPoint(4, 4), pages));
    const int right = PageControl1->geometry().right() + 4;

    EdtColor = new QLineEdit(this);
    EdtColor->setObjectName("EdtColor");
    EdtColor->setReadOnly(true);
    EdtColor->setEnabled(false);
    EdtColor->setGeometry(right, 26, 89, 129);
    lblRGB1 = new QLabel(this);
    lblRGB1->setObjectName("lblRGB1");
    // The column is as wide as the longest label text needs, at least the swatch's 89 pixels.
    const int column = std::max(89, lblRGB1->fontMetrics().horizontalAdvance("RGB= 16777215") + 4);
    lblRGB1->setGeometry(right, 162, column, lblRGB1->sizeHint().height());

    btnOK = new QPushButton("&OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");
    const int width = right + column + 4;
    const int buttonTop = PageControl1->geometry().bottom() + 6;
    const QSize button(75, btnOK->sizeHint().height());
    btnCancel->setGeometry(QRect(QPoint(width - 4 - button.width(), buttonTop), button));
    btnOK->setGeometry(QRect(QPoint(btnCancel->x() - 6 - button.width(), buttonTop), button));
    btnOK->installEventFilter(this);
    btnCancel->installEventFilter(this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(std::max(444, width), std::max(243, buttonTop + button.height() + 6));

    PaintPalette();
    PageControl1->setCurrentWidget(TabSelect);
}

void TColorForm::PaintPalette() {
    QImage bitmap(ImageNetscape->size(), QImage::Format_RGB32);
    bitmap.fill(kUnpaintedColor);
    const int cw = bitmap.width() / kPaletteColumns;
    const int ch = bitmap.height() / kPaletteRows;
    QPainter painter(&bitmap);
    painter.setPen(QPen(Qt::black, 0));
    for (int i = 0; i < kNamedColorCount; ++i) {
        painter.setBrush(QColor::fromRgb(ToOpaqueRgb(ColorNameValues[i])));
        // One pixel wider and higher than a cell, so that the outlines of neighbours overlap.
        painter.drawRect(QRect(cw * (i % kPaletteColumns), ch * (i / kPaletteColumns), cw, ch));
    }
    painter.end();
    ImageNetscape->Bitmap = std::move(bitmap);
    ImageNetscape->update();
}

void TColorForm::SetColor(TColorRef color) {
    m_color = color & 0x00FFFFFFu;
    BuildSliders();
}

void TColorForm::BuildSliders() {
    const int values[3] = {RedOf(m_color), GreenOf(m_color), BlueOf(m_color)};
    for (int c = 0; c < 3; ++c) {
        TSlider& slider = Sliders[c];
        slider.Value = values[c];
        QImage bitmap(slider.Image->size(), QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        slider.Marker = MarkerPositionOf(slider.Value, SliderWidth);
        InvertMarker(bitmap, slider.Marker);
        slider.Image->Bitmap = std::move(bitmap);
    }
    PaintGradients();
    ShowPercentages();
    ShowColor();
}

void TColorForm::PaintGradients() {
    for (int c = 0; c < 3; ++c) {
        QImage& bitmap = Sliders[c].Image->Bitmap;
        const int w = bitmap.width();
        const int bottom = bitmap.height() - kMarkerRows; // rows 0 .. bottom - 1
        for (int i = 3; i <= 96; ++i) {
            int channels[3] = {Sliders[chRed].Value, Sliders[chGreen].Value, Sliders[chBlue].Value};
            channels[c] = i * 255 / 100;
            const QRgb color = qRgb(channels[0], channels[1], channels[2]);
            for (int y = 0; y < bottom; ++y)
                for (int x = w * i / 100; x < w * (i + 1) / 100; ++x)
                    bitmap.setPixel(x, y, color);
        }
        Sliders[c].Image->update();
    }
}

void TColorForm::ShowPercentages() {
    for (TSlider& slider : Sliders)
        slider.Edit->setText(QString::number(slider.Value * 100 / 255));
}

void TColorForm::ShowColor() {
    m_color = ColorRefOf(Sliders[chRed].Value, Sliders[chGreen].Value, Sliders[chBlue].Value);
    EdtColor->setStyleSheet(QString("QLineEdit { background-color: %1; border: 1px solid gray; }")
                                .arg(QColor::fromRgb(ToOpaqueRgb(m_color)).name()));
    lblRGB1->setText("RGB= " + QString::number(m_color));
}

void TColorForm::MoveMarker(TSlider& slider, int x) {
    QImage& bitmap = slider.Image->Bitmap;
    InvertMarker(bitmap, slider.Marker);
    slider.Marker = std::max(5, std::min(x, SliderWidth - 5));
    InvertMarker(bitmap, slider.Marker);
    slider.Image->update();
}

void TColorForm::SliderMouseUp() {
    m_dragging = false;
    for (TSlider& slider : Sliders)
        slider.Value = ChannelOfMarker(slider.Marker, SliderWidth);
    PaintGradients();
    ShowPercentages();
    ShowColor();
}

void TColorForm::EditChange(TSlider& slider) {
    bool ok = false;
    const int percent = slider.Edit->text().trimmed().toInt(&ok);
    if (!ok)
        return;
    // Kept within 0..100 %, so that the channel stays a byte.
    if (percent != std::clamp(percent, 0, 100))
        slider.Edit->setText(QString::number(std::clamp(percent, 0, 100)));
    slider.Value = ChannelOfPercent(percent);
    MoveMarker(slider, MarkerPositionOf(slider.Value, SliderWidth));
    PaintGradients();
    ShowColor();
}

void TColorForm::ImageNetscapeClick() {
    const QImage& bitmap = ImageNetscape->Bitmap;
    if (!bitmap.rect().contains(m_palettePoint))
        return;
    m_color = ToColorRef(bitmap.pixel(m_palettePoint));
    BuildSliders();
}

TColorForm::TSlider* TColorForm::SliderOf(QObject* object) {
    for (TSlider& slider : Sliders)
        if (slider.Image == object || slider.Edit == object)
            return &slider;
    return nullptr;
}

bool TColorForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == ImageNetscape) {
        if (type == QEvent::MouseMove || type == QEvent::MouseButtonPress) {
            m_palettePoint = static_cast<QMouseEvent*>(event)->position().toPoint();
        } else if (type == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Guarded([this] { ImageNetscapeClick(); }, this);
            return true;
        }
        return false;
    }
    if (type == QEvent::KeyPress && (watched == btnOK || watched == btnCancel || SliderOf(watched))) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
        return false;
    }
    TSlider* slider = SliderOf(watched);
    if (!slider)
        return QDialog::eventFilter(watched, event);
    if (watched == slider->Edit)
        return false;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int x = mouse->position().toPoint().x();
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            m_dragging = true;
            MoveMarker(*slider, x);
        } else if (type == QEvent::MouseMove && m_dragging && (mouse->buttons() & Qt::LeftButton)) {
            MoveMarker(*slider, x);
        } else if (type == QEvent::MouseButtonRelease && m_dragging) {
            SliderMouseUp();
        }
        return true;
    }
    return false;
}

bool PickColor(QRgb& color, QWidget* parent) {
    TColorForm form(parent);
    form.SetColor(ToColorRef(color));
    if (Dialogs::Exec(form) != QDialog::Accepted)
        return false;
    color = ToOpaqueRgb(form.CurrentColor());
    return true;
}
