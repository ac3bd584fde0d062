#include "themes/QEVLibraryManager.h"

#include "db/DataAccess.h"

#include <QFileInfo>
#include <QStandardItemModel>

namespace {

// The folder of the attribute database file, with its trailing separator.
QString DatabaseFolder(const QString& connectionString) {
    QString folder = QFileInfo(DatabasePathOf(connectionString)).path();
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

} // namespace

TQEVLibraryManager::TQEVLibraryManager(const QString& connectionString, const QString& cacheFolder) {
    TDatabaseConnection connection(connectionString, cacheFolder);
    TDataSet first(connection);
    TDataSet second(connection);

    first.Open("Select distinct ID_Class from WRB_Class");
    for (; !first.Eof(); first.Next()) {
        auto classSet = std::make_unique<TQEV_Class>();
        classSet->ID_Class = first.AsInteger("ID_Class");
        second.Open("Select * from WRB_Class where ID_Class = ? order by Classnumber",
                    {std::int64_t(classSet->ID_Class)});
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
        second.Open("Select * from WRB_Layer where ID_QevLibrary=?", {std::int64_t(library->ID_QevLibrary)});
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
        libraryItem->setData(-1, kThemeIndexRole);
        libraryItem->setData(static_cast<int>(l), kLibraryIndexRole);
        for (std::size_t t = 0; t < m_themes.size(); ++t) {
            const TQEV_Layer* theme = m_themes[t].get();
            if (theme->Library != library)
                continue;
            auto* themeItem = new QStandardItem(theme->LayerName);
            themeItem->setEditable(false);
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
