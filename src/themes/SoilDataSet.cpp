#include "themes/SoilDataSet.h"

#include "common/TAMOError.h"
#include "db/AttributeImport.h"
#include "db/TAMO.h"
#include "raster/Zip.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// The viewer's preferences as it would read them at its start, from a copy of the settings file:
// reading may add defaults to the store, and the user's file is never written by a tool.
TPreferences ReadViewerPreferences() {
    TPreferences prefs;
    QTemporaryDir scratch;
    const QString copy = scratch.filePath("settings.json");
    QFile::copy(TSettingsStore::DefaultFilePath(), copy);
    TSettingsStore store(copy);
    LoadPreferences(prefs, store);
    return prefs;
}

// Shows the extraction of a raster as reports of the tool.
class TReportedExtraction : public TExtractionView {
public:
    explicit TReportedExtraction(const TSoilDataSet::TReport& report) : m_report(report) {}
    void Open() override { Report(0); }
    bool Progress(const QString&, long long stepBytes) override {
        m_bytes += stepBytes;
        Report(static_cast<int>(std::min<long long>(99, m_bytes * 100 / std::max<long long>(m_total, 1))));
        return true;
    }
    void Close() override { Report(-1); }
    // An archive that asks has a damaged member: no person is there to answer, so it is given up.
    TZipAnswer Ask(const QString&) override { return TZipAnswer::Cancel; }
    void Tell(const QString&) override {}
    long long m_total = 1;

private:
    void Report(int percent) {
        if (m_report && percent != m_last)
            m_report("Extracting the raster", percent);
        m_last = percent;
    }
    const TSoilDataSet::TReport& m_report;
    long long m_bytes = 0;
    int m_last = -2;
};

} // namespace

TSoilDataSet::TSoilDataSet(const QString& folder, TReport report) : m_report(std::move(report)) {
    TPreferences prefs = ReadViewerPreferences();
    if (!folder.isEmpty()) {
        const QDir dir(folder);
        if (!dir.exists())
            throw TAMOError(
                QString("The data folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(folder)));
        prefs.ATTRIB_MDB = dir.absoluteFilePath("TAMO2.mdb");
        if (!QFileInfo::exists(prefs.ATTRIB_MDB))
            prefs.ATTRIB_MDB = dir.absoluteFilePath("TAMO2.sqlite");
        prefs.RASTER = dir.absoluteFilePath("TAMO2.bil");
        // A cache of its own: a raster extracted from another data set must never stand in for it.
        const QByteArray key =
            QCryptographicHash::hash(dir.absolutePath().toUtf8(), QCryptographicHash::Sha1);
        prefs.DATA_CACHE = ::CacheFolder(prefs) + "data-" + key.toHex().left(12) + "/";
        QDir().mkpath(prefs.DATA_CACHE);
    }
    m_databasePath = prefs.ATTRIB_MDB;
    m_cacheFolder = ::CacheFolder(prefs);
    m_rasterFile = prefs.RASTER;
    if (!QFileInfo::exists(m_databasePath))
        throw TAMOError(QString("The attribute database \"%1\" does not exist.")
                            .arg(QDir::toNativeSeparators(m_databasePath)));
    const QString connection = BuildConnectionString(m_databasePath);
    if (ImportNeeded(connection, m_cacheFolder)) {
        TImportOptions options;
        options.CacheFolder = m_cacheFolder;
        options.ImporterProgram = DefaultImporterProgram();
        ImportAttributeDatabase(connection, options, [this](const TImportProgress& progress) {
            if (m_report)
                m_report("Importing the attribute database",
                         progress.RowsTotal > 0
                             ? static_cast<int>(progress.RowsDone * 100 / progress.RowsTotal)
                             : 0);
            return true;
        });
        if (m_report)
            m_report({}, -1);
    }
    m_library = std::make_unique<TQEVLibraryManager>(connection, m_cacheFolder);
    m_database = std::make_unique<TTAMO>(connection, m_cacheFolder);
    m_database->BuildWrbIndex();
}

TSoilDataSet::~TSoilDataSet() = default;

const TQEV_Layer& TSoilDataSet::Theme(const QString& name) const {
    const auto& themes = m_library->Themes();
    if (themes.empty())
        throw TAMOError(QString("The attribute database \"%1\" holds no map themes.")
                            .arg(QDir::toNativeSeparators(m_databasePath)));
    if (name.isEmpty())
        return *themes.front();
    QStringList names;
    for (const auto& theme : themes) {
        if (theme->LayerName.compare(name, Qt::CaseInsensitive) == 0)
            return *theme;
        names << "\"" + theme->LayerName + "\"";
    }
    throw TAMOError(QString("There is no theme \"%1\"; the themes are %2.").arg(name, names.join(", ")));
}

std::shared_ptr<const TRasterSource> TSoilDataSet::OpenRaster(const TQEV_Layer& theme) const {
    TRasterRequest request = RasterRequestOf(theme);
    request.CacheFolder = m_cacheFolder;
    request.RasterFile = m_rasterFile;
    TReportedExtraction extraction(m_report);
    extraction.m_total = static_cast<long long>(theme.Bytes) * kWorldCells;
    const TRasterLocation found = ResolveRasterFile(request, &extraction);
    const QString path = found.Path;
    if (path.isEmpty())
        throw TAMOError(
            !found.Message.isEmpty()
                ? found.Message
                : QString("The raster of the theme \"%1\" was not found, nor could it be extracted "
                          "from \"%2\".")
                      .arg(theme.LayerName, QDir::toNativeSeparators(request.ArchivePath)));
    return TRasterSource::Open(path, theme.Bytes);
}
