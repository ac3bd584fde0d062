#pragma once
// TQEVLibraryManager: the catalogue of map themes read once from the attribute database
// (libraries, their themes and the pre-defined class sets), shown as a two-level tree (libraries, then their
// themes).

#include "settings/Preferences.h"
#include "themes/ThemeRecords.h"

#include <QModelIndex>
#include <QString>
#include <memory>
#include <vector>

class QStandardItemModel;

class TQEVLibraryManager {
public:
    // Item data of the tree: the position of a theme in Themes() (-1 on library nodes), and the
    // position of the library in Libraries().
    static constexpr int kThemeIndexRole = Qt::UserRole + 1;
    static constexpr int kLibraryIndexRole = Qt::UserRole + 2;

    // Loads the catalogue: class sets, then libraries and their themes.
    // An Access database is read through its imported copy in `cacheFolder`.
    explicit TQEVLibraryManager(const QString& connectionString, const QString& cacheFolder = {});
    ~TQEVLibraryManager();
    TQEVLibraryManager(const TQEVLibraryManager&) = delete;
    TQEVLibraryManager& operator=(const TQEVLibraryManager&) = delete;

    // Replaces the model's content by the libraries and their themes, every theme item referring
    // to its theme. The window showing the tree gives the items their images.
    void FillTree(QStandardItemModel& tree) const;

    // False for a library node (or no node); otherwise `theme` is set and the result tells
    // whether the theme names a raster file.
    bool SelectedTheme(const QModelIndex& selected, const TQEV_Layer*& theme) const;

    const std::vector<std::unique_ptr<TQEV_Layer>>& Themes() const { return m_themes; }
    const std::vector<std::unique_ptr<TQEV_library>>& Libraries() const { return m_libraries; }
    const std::vector<std::unique_ptr<TQEV_Class>>& ClassSets() const { return m_classSets; }
    // The theme the first map window opens; null when the catalogue has none.
    const TQEV_Layer* FirstTheme() const { return m_themes.empty() ? nullptr : m_themes.front().get(); }

private:
    std::vector<std::unique_ptr<TQEV_Layer>> m_themes;
    std::vector<std::unique_ptr<TQEV_library>> m_libraries;
    std::vector<std::unique_ptr<TQEV_Class>> m_classSets;
};
