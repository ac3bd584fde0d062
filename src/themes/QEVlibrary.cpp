#include "themes/QEVlibrary.h"

#include "db/DataAccess.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardItemModel>

namespace {

// The folder of the attribute database file, with its trailing separator.
QString DatabaseFolder(const QString& connectionString) {
    QString folder = QFileInfo(DatabasePathOf(connectionString)).path();
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

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

void DrawFolder(QPainter& p, bool open) {
    p.setPen(QColor(128, 96, 0));
    p.setBrush(QColor(255, 220, 110));
    p.drawRect(1, 4, 13, 10);
    p.drawRect(1, 2, 5, 2);
    if (open) {
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

std::array<QImage, TQEVLibraryManager::FileImageCount> DrawFileImages() {
    std::array<QImage, TQEVLibraryManager::FileImageCount> images;
    for (int index = 0; index < TQEVLibraryManager::FileImageCount; ++index) {
        QImage image = NewImage();
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        switch (index) {
        case TQEVLibraryManager::RemovableDrive:
            DrawDrive(p, QColor(200, 200, 200), QColor(0, 160, 0));
            p.setPen(QColor(64, 64, 64));
            p.drawLine(3, 7, 9, 7);
            break;
        case TQEVLibraryManager::HardDisk:
            DrawDrive(p, QColor(170, 170, 170), QColor(0, 200, 0));
            break;
        case TQEVLibraryManager::OpticalDrive:
            DrawDrive(p, QColor(190, 190, 190), QColor(0, 160, 0));
            p.setPen(QColor(64, 64, 64));
            p.setBrush(QColor(230, 230, 255));
            p.drawEllipse(QRect(3, 1, 8, 8));
            break;
        case TQEVLibraryManager::NetworkDrive:
            DrawDrive(p, QColor(170, 170, 170), QColor(0, 200, 0));
            p.setPen(QColor(0, 0, 0));
            p.drawLine(7, 11, 7, 14);
            p.drawLine(3, 14, 11, 14);
            break;
        case TQEVLibraryManager::ClosedFolder:
            DrawFolder(p, false);
            break;
        case TQEVLibraryManager::OpenFolder:
            DrawFolder(p, true);
            break;
        case TQEVLibraryManager::Globe:
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
        case TQEVLibraryManager::MapDocument:
            DrawMapDocument(p, Qt::white);
            break;
        case TQEVLibraryManager::GreyMapDocument:
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

// With a GUI application the item shows `selectedImage` while it is selected; without one (a
// program that only reads the catalogue) the plain image is kept as item data.
QVariant Decoration(int image, int selectedImage) {
    const auto& images = TQEVLibraryManager::FileImages();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return images[static_cast<std::size_t>(image)];
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(images[static_cast<std::size_t>(image)]), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(images[static_cast<std::size_t>(selectedImage)]), QIcon::Selected);
    return icon;
}

} // namespace

const std::array<QImage, TQEVLibraryManager::FileImageCount>& TQEVLibraryManager::FileImages() {
    static const auto images = DrawFileImages();
    return images;
}

TQEVLibraryManager::TQEVLibraryManager(const QString& connectionString) {
    TDataSet first(connectionString);
    TDataSet second(connectionString);

    first.Open("Select distinct ID_Class from WRB_Class");
    for (; !first.Eof(); first.Next()) {
        auto classSet = std::make_unique<TQEV_Class>();
        classSet->ID_Class = first.AsInteger("ID_Class");
        second.Open("Select * from WRB_Class where ID_Class = " + first.AsString("ID_Class") +
                    " order by Classnumber");
        int rows = 0;
        for (; !second.Eof(); second.Next(), ++rows) {
            // A set holds at most kMaxClasses classes; further rows are not read.
            if (rows >= kMaxClasses)
                continue;
            const auto i = static_cast<std::size_t>(rows);
            classSet->Dividers[i] = second.AsFloat("Divider");
            classSet->Labels[i] = second.AsString("Label");
            classSet->Colors[i] = static_cast<std::uint32_t>(second.AsInteger("Red") & 0xFF) +
                                  256u * static_cast<std::uint32_t>(second.AsInteger("Green") & 0xFF) +
                                  65536u * static_cast<std::uint32_t>(second.AsInteger("Blue") & 0xFF);
        }
        second.Close();
        if (rows > 0) {
            classSet->ClassCount = std::min(rows, kMaxClasses);
            m_classSets.push_back(std::move(classSet));
        }
    }
    first.Close();

    const QString folder = DatabaseFolder(connectionString);
    first.Open("Select * from WRB_Library order by ID_QevLibrary");
    for (; !first.Eof(); first.Next()) {
        auto library = std::make_unique<TQEV_library>();
        library->ID_QevLibrary = first.AsInteger("ID_QevLibrary");
        library->QevLibrary = first.AsString("QevLibrary");
        library->Path = folder + first.AsString("FileName");
        second.Open("Select * from WRB_Layer where ID_QevLibrary=" + first.AsString("ID_QevLibrary"));
        for (; !second.Eof(); second.Next()) {
            auto theme = std::make_unique<TQEV_Layer>();
            theme->Library = library.get();
            theme->LayerName = second.AsString("LayerName");
            theme->FileName = second.AsString("FileName");
            theme->Bytes = second.AsInteger("Bytes");
            theme->Units = second.AsString("Units");
            theme->Multiplier = second.AsInteger("Multiplier");
            theme->ZeroIsValue = second.AsBoolean("ZeroIsValue");
            theme->DefaultMethod = static_cast<std::uint8_t>(second.AsInteger("ID_Class_Type") - 1);
            const int classId = second.AsInteger("ID_Class");
            if (classId != 0) {
                for (auto set = m_classSets.rbegin(); set != m_classSets.rend(); ++set) {
                    if ((*set)->ID_Class == classId) {
                        theme->ClassSet = set->get();
                        break;
                    }
                }
            }
            m_themes.push_back(std::move(theme));
        }
        second.Close();
        m_libraries.push_back(std::move(library));
    }
}

TQEVLibraryManager::~TQEVLibraryManager() = default;

void TQEVLibraryManager::FillTree(QStandardItemModel& tree) const {
    tree.clear();
    for (std::size_t l = 0; l < m_libraries.size(); ++l) {
        const TQEV_library* library = m_libraries[l].get();
        auto* libraryItem = new QStandardItem(library->QevLibrary);
        libraryItem->setEditable(false);
        libraryItem->setData(Decoration(ClosedFolder, OpenFolder), Qt::DecorationRole);
        libraryItem->setData(-1, kThemeIndexRole);
        libraryItem->setData(static_cast<int>(l), kLibraryIndexRole);
        for (std::size_t t = 0; t < m_themes.size(); ++t) {
            const TQEV_Layer* theme = m_themes[t].get();
            if (theme->Library != library)
                continue;
            auto* themeItem = new QStandardItem(theme->LayerName);
            themeItem->setEditable(false);
            themeItem->setData(Decoration(GreyMapDocument, GreyMapDocument), Qt::DecorationRole);
            themeItem->setData(static_cast<int>(t), kThemeIndexRole);
            themeItem->setData(static_cast<int>(l), kLibraryIndexRole);
            libraryItem->appendRow(themeItem);
        }
        tree.appendRow(libraryItem);
    }
}

bool TQEVLibraryManager::SelectedTheme(const QModelIndex& selected, const TQEV_Layer*& theme) const {
    if (!selected.isValid() || selected.parent().isValid() == false)
        return false;
    bool ok = false;
    const int index = selected.data(kThemeIndexRole).toInt(&ok);
    if (!ok || index < 0 || index >= static_cast<int>(m_themes.size()))
        return false;
    theme = m_themes[static_cast<std::size_t>(index)].get();
    return !theme->FileName.isEmpty();
}
