#include "app/ThemeTreeImages.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardItemModel>

namespace {

QImage NewImage() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void DrawDrive(QPainter& p, const QColor& body, const QColor& light) {
    p.setPen(QColor(64, 64, 64));
    p.setBrush(body);
    p.drawRect(1, 5, 13, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawRect(11, 8, 2, 2);
}

enum class TFolderState { Closed, Open };

void DrawFolder(QPainter& p, TFolderState state) {
    p.setPen(QColor(128, 96, 0));
    p.setBrush(QColor(255, 220, 110));
    p.drawRect(1, 4, 13, 10);
    p.drawRect(1, 2, 5, 2);
    if (state == TFolderState::Open) {
        QPainterPath flap;
        flap.moveTo(3.5, 7.5);
        flap.lineTo(15.5, 7.5);
        flap.lineTo(13.5, 14.5);
        flap.lineTo(1.5, 14.5);
        flap.closeSubpath();
        p.setBrush(QColor(255, 240, 170));
        p.drawPath(flap);
    }
}

void DrawMapDocument(QPainter& p, const QColor& page) {
    p.setPen(QColor(64, 64, 64));
    p.setBrush(page);
    p.drawRect(2, 1, 11, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 130, 220)); // sea
    p.drawRect(4, 4, 8, 8);
    p.setBrush(QColor(60, 170, 60)); // land
    p.drawEllipse(QRectF(5, 5, 4, 3));
    p.drawEllipse(QRectF(8, 8, 3, 3));
}

std::array<QImage, kThemeImageCount> DrawFileImages() {
    std::array<QImage, kThemeImageCount> images;
    for (int index = 0; index < kThemeImageCount; ++index) {
        QImage image = NewImage();
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        switch (index) {
        case RemovableDrive:
            DrawDrive(p, QColor(200, 200, 200), QColor(0, 160, 0));
            p.setPen(QColor(64, 64, 64));
            p.drawLine(3, 7, 9, 7);
            break;
        case HardDisk:
            DrawDrive(p, QColor(170, 170, 170), QColor(0, 200, 0));
            break;
        case OpticalDrive:
            DrawDrive(p, QColor(190, 190, 190), QColor(0, 160, 0));
            p.setPen(QColor(64, 64, 64));
            p.setBrush(QColor(230, 230, 255));
            p.drawEllipse(QRect(3, 1, 8, 8));
            break;
        case NetworkDrive:
            DrawDrive(p, QColor(170, 170, 170), QColor(0, 200, 0));
            p.setPen(QColor(0, 0, 0));
            p.drawLine(7, 11, 7, 14);
            p.drawLine(3, 14, 11, 14);
            break;
        case ClosedFolder:
            DrawFolder(p, TFolderState::Closed);
            break;
        case OpenFolder:
            DrawFolder(p, TFolderState::Open);
            break;
        case Globe:
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QColor(0, 60, 140));
            p.setBrush(QColor(70, 130, 220));
            p.drawEllipse(QRectF(3, 1, 10, 10));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(60, 170, 60));
            p.drawEllipse(QRectF(5, 3, 4, 3));
            p.setPen(QColor(96, 64, 32));
            p.drawLine(8, 11, 8, 13);
            p.drawLine(4, 14, 12, 14);
            break;
        case MapDocument:
            DrawMapDocument(p, Qt::white);
            break;
        case GreyMapDocument:
            DrawMapDocument(p, QColor(192, 192, 192));
            break;
        default:
            break; // the empty image
        }
        p.end();
        images[static_cast<std::size_t>(index)] = image;
    }
    return images;
}

// The item shows `selectedImage` while it is selected.
QIcon Decoration(TThemeImage image, TThemeImage selectedImage) {
    const auto& images = ThemeTreeImages();
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(images[image]), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(images[selectedImage]), QIcon::Selected);
    return icon;
}

} // namespace

const std::array<QImage, kThemeImageCount>& ThemeTreeImages() {
    static const auto images = DrawFileImages();
    return images;
}

void DecorateThemeTree(QStandardItemModel& tree) {
    const QIcon library = Decoration(ClosedFolder, OpenFolder);
    const QIcon theme = Decoration(GreyMapDocument, GreyMapDocument);
    for (int l = 0; l < tree.rowCount(); ++l) {
        QStandardItem* libraryItem = tree.item(l);
        libraryItem->setIcon(library);
        for (int t = 0; t < libraryItem->rowCount(); ++t)
            libraryItem->child(t)->setIcon(theme);
    }
}
