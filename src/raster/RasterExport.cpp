#include "raster/RasterExport.h"

#include "common/TAMOError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gdal_priv.h>
#include <mutex>
#include <ogr_spatialref.h>
#include <unistd.h>

namespace {

TExportSpaceProbe& SpaceProbe() {
    static TExportSpaceProbe probe;
    return probe;
}

long long FreeSpace(const QString& folder) {
    if (SpaceProbe())
        return SpaceProbe()(folder);
    const QStorageInfo storage(folder);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

void RegisterDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// What one output cell is made of.
struct TCellRule {
    GDALDataType Type = GDT_UInt16;
    int OutBytes = 2;
};

// The source of an export as GDAL sees a raster: one band, rows made on request from the mapped
// file. Rows are made straight into the caller's buffer; GDAL's block cache is used only where it
// asks for another layout.
class TExportDataset;

class TExportBand : public GDALRasterBand {
public:
    TExportBand(TExportDataset* dataset, const TExportRequest& request, GDALDataType type);
    ~TExportBand() override { delete m_colors; }

    double GetNoDataValue(int* success) override {
        if (success)
            *success = TRUE;
        return m_request.Layer == TExportLayer::Values ? kNoDataPropertyValue : 0;
    }
    GDALColorTable* GetColorTable() override { return m_colors; }
    GDALColorInterp GetColorInterpretation() override { return m_colors ? GCI_PaletteIndex : GCI_GrayIndex; }
    char** GetCategoryNames() override { return m_names.List(); }

protected:
    CPLErr IReadBlock(int blockX, int blockY, void* data) override;
    CPLErr IRasterIO(GDALRWFlag flag, int x, int y, int width, int height, void* data, int bufWidth,
                     int bufHeight, GDALDataType bufType, GSpacing pixelSpace, GSpacing lineSpace,
                     GDALRasterIOExtraArg* extra) override;

private:
    // Writes `count` cells of the band's row `row` from column `col` into `out` in the band's type.
    void MakeRow(int row, int col, int count, void* out) const;
    std::uint32_t Cell(const unsigned char* p) const;
    void MakeLegend();

    const TExportRequest& m_request;
    GDALColorTable* m_colors = nullptr;
    CPLStringList m_names;
};

class TExportDataset : public GDALDataset {
public:
    TExportDataset(const TExportRequest& request, GDALDataType type) : m_request(request) {
        const TCellWindow& w = request.Window;
        nRasterXSize = w.Col1 - w.Col0;
        nRasterYSize = w.Row1 - w.Row0;
        SetBand(1, new TExportBand(this, request, type));
        m_srs.importFromEPSG(4326);
        m_srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    }
    CPLErr GetGeoTransform(double* transform) override {
        const TTallySource& s = m_request.Source;
        const TCellWindow& w = m_request.Window;
        transform[0] = -180.0 + 360.0 * w.Col0 / s.Cols;
        transform[1] = 360.0 / s.Cols;
        transform[2] = 0;
        transform[3] = 90.0 - 180.0 * w.Row0 / s.Rows;
        transform[4] = 0;
        transform[5] = -180.0 / s.Rows;
        return CE_None;
    }
    const OGRSpatialReference* GetSpatialRef() const override { return &m_srs; }

private:
    const TExportRequest& m_request;
    OGRSpatialReference m_srs;
};

TExportBand::TExportBand(TExportDataset* dataset, const TExportRequest& request, GDALDataType type)
    : m_request(request) {
    poDS = dataset;
    nBand = 1;
    eDataType = type;
    nBlockXSize = dataset->GetRasterXSize();
    nBlockYSize = 1;
    if (request.Legend == TExportLegend::Yes)
        MakeLegend();
}

std::uint32_t TExportBand::Cell(const unsigned char* p) const {
    switch (m_request.Source.Bytes) {
    case 1:
        return p[0];
    case 2:
        return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
    default: {
        std::int32_t v;
        std::memcpy(&v, p, 4);
        return static_cast<std::uint32_t>(v);
    }
    }
}

void TExportBand::MakeRow(int row, int col, int count, void* out) const {
    const TTallySource& s = m_request.Source;
    // Counted in cells: the offset of a 1-byte cell is its number.
    const std::int64_t first = CellOffset(std::int64_t(m_request.Window.Col0) + col,
                                          std::int64_t(m_request.Window.Row0) + row, s.Cols, 1);
    const std::int64_t fileCells = s.Raster->Size() / s.Bytes;
    // Cells beyond the end of the file have no data.
    const int present = static_cast<int>(std::clamp<std::int64_t>(fileCells - first, 0, count));
    const unsigned char* p = s.Raster->Data() + first * s.Bytes;
    const bool topIsNoData = m_request.TopValue == TTopCellValue::NoData;
    const TCellClasses& classes = m_request.Classes;
    switch (m_request.Layer) {
    case TExportLayer::Units:
        if (s.Bytes == 2) {
            auto* o = static_cast<std::uint16_t*>(out);
            if (topIsNoData) {
                // One pass without branches, which the compiler turns into vector code.
                const auto* cells = reinterpret_cast<const std::uint16_t*>(p);
                for (int i = 0; i < present; ++i) {
                    const std::uint16_t v = cells[i];
                    o[i] = v == kNoDataValue ? std::uint16_t(kNoDataCell) : v;
                }
            } else {
                std::memcpy(o, p, std::size_t(present) * 2);
            }
            std::fill(o + present, o + count, std::uint16_t(0));
        } else if (s.Bytes == 1) {
            auto* o = static_cast<std::uint8_t*>(out);
            std::memcpy(o, p, std::size_t(present));
            std::fill(o + present, o + count, std::uint8_t(0));
        } else {
            auto* o = static_cast<std::int32_t*>(out);
            for (int i = 0; i < present; ++i) {
                const std::int32_t v = static_cast<std::int32_t>(Cell(p + std::int64_t(i) * 4));
                o[i] = topIsNoData && v == kNoDataValue ? 0 : v;
            }
            std::fill(o + present, o + count, 0);
        }
        break;
    case TExportLayer::Classes: {
        auto* o = static_cast<std::uint8_t*>(out);
        for (int i = 0; i < present; ++i)
            o[i] = static_cast<std::uint8_t>(classes.ClassOfValue(Cell(p + std::int64_t(i) * s.Bytes)) + 1);
        std::fill(o + present, o + count, std::uint8_t(0));
        break;
    }
    case TExportLayer::Values: {
        auto* o = static_cast<float*>(out);
        for (int i = 0; i < present; ++i) {
            const std::uint32_t v = Cell(p + std::int64_t(i) * s.Bytes);
            const float value = classes.ClassOfValue(v) != kNoClass ? classes.Values[v] : NAN;
            o[i] = std::isnan(value) ? kNoDataPropertyValue : value;
        }
        std::fill(o + present, o + count, kNoDataPropertyValue);
        break;
    }
    }
}

CPLErr TExportBand::IReadBlock(int, int blockY, void* data) {
    MakeRow(blockY, 0, nBlockXSize, data);
    return CE_None;
}

CPLErr TExportBand::IRasterIO(GDALRWFlag flag, int x, int y, int width, int height, void* data, int bufWidth,
                              int bufHeight, GDALDataType bufType, GSpacing pixelSpace, GSpacing lineSpace,
                              GDALRasterIOExtraArg* extra) {
    if (flag != GF_Read || bufWidth != width || bufHeight != height)
        return GDALRasterBand::IRasterIO(flag, x, y, width, height, data, bufWidth, bufHeight, bufType,
                                         pixelSpace, lineSpace, extra);
    const int bytes = GDALGetDataTypeSizeBytes(eDataType);
    const bool direct = bufType == eDataType && pixelSpace == bytes;
    std::vector<unsigned char> row(direct ? 0 : std::size_t(width) * bytes);
    for (int line = 0; line < height; ++line) {
        auto* out = static_cast<unsigned char*>(data) + line * lineSpace;
        if (direct) {
            MakeRow(y + line, x, width, out);
        } else {
            MakeRow(y + line, x, width, row.data());
            GDALCopyWords64(row.data(), eDataType, bytes, out, bufType, static_cast<int>(pixelSpace), width);
        }
        if (extra && extra->pfnProgress &&
            !extra->pfnProgress(double(line + 1) / height, "", extra->pProgressData))
            return CE_Failure;
    }
    return CE_None;
}

void TExportBand::MakeLegend() {
    const TCellClasses& classes = m_request.Classes;
    const auto entry = [](QRgb color) {
        return GDALColorEntry{short(qRed(color)), short(qGreen(color)), short(qBlue(color)), 255};
    };
    const GDALColorEntry none{255, 255, 255, 0};
    if (m_request.Layer == TExportLayer::Classes) {
        m_colors = new GDALColorTable;
        m_colors->SetColorEntry(0, &none);
        m_names.AddString("No data");
        for (int i = 0; i < classes.Count(); ++i) {
            const GDALColorEntry e = entry(i < int(classes.Colors.size()) ? classes.Colors[i] : 0);
            m_colors->SetColorEntry(i + 1, &e);
            m_names.AddString(classes.Names[i].toUtf8().constData());
        }
    } else if (m_request.Layer == TExportLayer::Units && m_request.Source.Bytes <= 2) {
        // Each id in the colour of its class, named by its class.
        const int values = m_request.Source.Bytes == 1 ? 256 : kCellValueCount;
        m_colors = new GDALColorTable;
        int lastNamed = -1;
        for (int v = 0; v < values; ++v) {
            const int cls = classes.ClassOfValue(static_cast<std::uint32_t>(v));
            const GDALColorEntry e =
                cls >= 0 && cls < int(classes.Colors.size()) ? entry(classes.Colors[cls]) : none;
            m_colors->SetColorEntry(v, &e);
            if (cls >= 0)
                lastNamed = v;
        }
        for (int v = 0; v <= lastNamed; ++v) {
            const int cls = classes.ClassOfValue(static_cast<std::uint32_t>(v));
            m_names.AddString(cls >= 0 && cls < classes.Count() ? classes.Names[cls].toUtf8().constData()
                                                                : "");
        }
    }
    // Property values (Float32) carry no colour table in any of the formats.
}

GDALDataType BandType(const TExportRequest& request) {
    switch (request.Layer) {
    case TExportLayer::Classes:
        return GDT_Byte;
    case TExportLayer::Values:
        return GDT_Float32;
    case TExportLayer::Units:
        break;
    }
    return request.Source.Bytes == 1 ? GDT_Byte : request.Source.Bytes == 2 ? GDT_UInt16 : GDT_Int32;
}

// Bytes an uncompressed export of `cells` needs at least; 0 where compression makes it unknown.
long long LeastBytes(TExportFormat format, std::int64_t cells, GDALDataType type) {
    switch (format) {
    case TExportFormat::GTiff:
        return 0;
    case TExportFormat::AAIGrid:
        return cells * 2; // a digit and a blank each
    default:
        return cells * GDALGetDataTypeSizeBytes(type);
    }
}

CPLStringList CreationOptions(TExportFormat format) {
    CPLStringList options;
    if (format == TExportFormat::GTiff) {
        options.SetNameValue("TILED", "YES");
        options.SetNameValue("COMPRESS", "DEFLATE");
        options.SetNameValue("BIGTIFF", "IF_SAFER");
        options.SetNameValue("NUM_THREADS", "ALL_CPUS");
    }
    return options;
}

struct TProgressState {
    const TJobControl* Control = nullptr;
    int LastPercent = -1;
};

int CPL_STDCALL OnProgress(double done, const char*, void* data) {
    auto* state = static_cast<TProgressState*>(data);
    if (state->Control->Cancelled())
        return FALSE;
    const int percent = std::clamp(static_cast<int>(done * 100), 0, 100);
    if (state->Control->Progress && percent != state->LastPercent && percent < 100) {
        state->LastPercent = percent;
        state->Control->Progress(percent);
    }
    return TRUE;
}

// The world file of a BIL: cell size, rotation, and the centre of the top-left cell.
bool WriteWorldFile(const QString& path, const double* t) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QString text =
        QString::asprintf("%.17g\n0\n0\n%.17g\n%.17g\n%.17g\n", t[1], t[5], t[0] + t[1] / 2, t[3] + t[5] / 2);
    return file.write(text.toLatin1()) == text.size() && file.flush();
}

// The header of an IDRISI raster with its edges and cell size in full precision: GDAL writes
// seven decimals, which moves the grid by up to half a millionth of a degree.
bool WriteExactRdc(const QString& path, const double* t, int cols, int rows) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    const auto number = [](double value) { return QByteArray::number(value, 'g', 17); };
    const std::pair<const char*, QByteArray> exact[] = {
        {"min. X", number(t[0])},
        {"max. X", number(t[0] + cols * t[1])},
        {"min. Y", number(t[3] + rows * t[5])},
        {"max. Y", number(t[3])},
        {"resolution", number(t[1])},
    };
    for (QByteArray& line : lines)
        for (const auto& [key, value] : exact)
            if (line.startsWith(key) && line.indexOf(':') > 0)
                line = line.left(line.indexOf(':') + 1) + " " + value;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = lines.join('\n');
    return file.write(text) == text.size() && file.flush();
}

// The same for an ASCII grid, whose header GDAL writes with twelve decimals: over 21,600 rows
// the north edge would move by seven billionths of a degree. The cells after the header are
// copied unchanged into a new file.
bool WriteExactAsciiHeader(const QString& path, const double* t, int rows, const TJobControl& control) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    // Header lines begin with a letter; the cells begin with a blank, a sign or a digit.
    qint64 bodyStart = 0;
    QByteArray noDataLine;
    int cols = 0;
    for (;;) {
        const QByteArray line = in.readLine(4096);
        if (line.isEmpty() || !std::isalpha(static_cast<unsigned char>(line[0])))
            break;
        if (line.toLower().startsWith("nodata_value"))
            noDataLine = line.trimmed();
        if (line.toLower().startsWith("ncols"))
            cols = line.mid(5).trimmed().toInt();
        bodyStart = in.pos();
    }
    const auto number = [](double value) { return QByteArray::number(value, 'g', 17); };
    QByteArray header = "ncols        " + QByteArray::number(cols) + "\nnrows        " +
                        QByteArray::number(rows) + "\nxllcorner    " + number(t[0]) + "\nyllcorner    " +
                        number(t[3] + rows * t[5]) + "\ncellsize     " + number(t[1]) + "\n";
    if (!noDataLine.isEmpty())
        header += noDataLine + "\n";
    const QString exactPath = path + ".exact";
    QFile out(exactPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    bool ok = out.write(header) == header.size() && out.flush();
    loff_t from = bodyStart;
    const qint64 size = in.size();
    while (ok && from < size) {
        if (control.Cancelled()) {
            ok = false;
            break;
        }
        // In the kernel, in steps that let a cancel through.
        const ssize_t copied =
            ::copy_file_range(in.handle(), &from, out.handle(), nullptr,
                              static_cast<std::size_t>(std::min<qint64>(size - from, 1 << 26)), 0);
        if (copied <= 0) {
            // Not offered between these files: read and write.
            in.seek(from);
            const QByteArray chunk = in.read(1 << 24);
            ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
            from += chunk.size();
        }
    }
    ok = ok && out.flush();
    out.close();
    in.close();
    if (!ok || ::rename(QFile::encodeName(exactPath).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(exactPath);
        return false;
    }
    return true;
}

// The files below `folder` whose names start with `prefix`.
QStringList FilesStartingWith(const QString& folder, const QString& prefix) {
    QStringList found;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (name.startsWith(prefix))
            found << dir.filePath(name);
    return found;
}

void RemoveFiles(const QStringList& files) {
    for (const QString& file : files)
        QFile::remove(file);
}

} // namespace

void SetExportSpaceProbe(TExportSpaceProbe probe) {
    SpaceProbe() = std::move(probe);
}

QString FormatName(TExportFormat format) {
    switch (format) {
    case TExportFormat::GTiff:
        return "GTiff";
    case TExportFormat::EHdr:
        return "EHdr";
    case TExportFormat::RST:
        return "RST";
    case TExportFormat::AAIGrid:
        return "AAIGrid";
    }
    return {};
}

std::optional<TExportFormat> FormatFromName(const QString& name) {
    for (TExportFormat format :
         {TExportFormat::GTiff, TExportFormat::EHdr, TExportFormat::RST, TExportFormat::AAIGrid})
        if (FormatName(format).compare(name, Qt::CaseInsensitive) == 0)
            return format;
    return std::nullopt;
}

QString FormatExtension(TExportFormat format) {
    switch (format) {
    case TExportFormat::GTiff:
        return "tif";
    case TExportFormat::EHdr:
        return "bil";
    case TExportFormat::RST:
        return "rst";
    case TExportFormat::AAIGrid:
        return "asc";
    }
    return {};
}

QString WithFormatExtension(const QString& path, TExportFormat format) {
    return QFileInfo(path).suffix().isEmpty() ? path + "." + FormatExtension(format) : path;
}

QStringList ExportMembers(const QString& path, TExportFormat format) {
    const QFileInfo info(path);
    const QString stem = info.dir().filePath(info.completeBaseName());
    QStringList members{path};
    switch (format) {
    case TExportFormat::GTiff:
        break;
    case TExportFormat::EHdr:
        for (const char* side : {".hdr", ".blw", ".clr", ".prj", ".stx"})
            members << stem + side;
        break;
    case TExportFormat::RST:
        for (const char* side : {".rdc", ".smp", ".ref"})
            members << stem + side;
        break;
    case TExportFormat::AAIGrid:
        members << stem + ".prj";
        break;
    }
    members << path + ".aux.xml";
    return members;
}

QStringList ExistingExportMembers(const QString& path, TExportFormat format) {
    QStringList existing;
    for (const QString& member : ExportMembers(path, format))
        if (QFileInfo::exists(member))
            existing << member;
    return existing;
}

TExportOutcome ExportRaster(const TExportRequest& original, const TJobControl& control) {
    RegisterDrivers();
    TExportRequest request = original;
    const TTallySource& source = request.Source;
    const QString target = QDir::toNativeSeparators(request.Path);
    const auto fail = [&](const QString& reason) {
        throw TAMOError(QString("The file \"%1\" cannot be written: %2").arg(target, reason));
    };
    const auto diskFull = [&] {
        throw TAMOError(QString("The disk is full: the file \"%1\" cannot be written.").arg(target));
    };
    if (!source.Raster || !source.Raster->Data() ||
        (source.Bytes != 1 && source.Bytes != 2 && source.Bytes != 4))
        fail("there is no raster to export.");
    request.Window = request.Window.ClippedTo(source.Cols, source.Rows);
    if (request.Window.Empty())
        fail("the area holds no cells of the raster.");
    if (request.Layer != TExportLayer::Units &&
        request.Classes.ClassOf.size() != std::size_t(kCellValueCount))
        fail("the map has no legend classes.");
    if (request.Layer == TExportLayer::Values && !request.Classes.HasValues())
        fail("the map has no property values.");

    const QFileInfo info(request.Path);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        fail("the folder does not exist.");
    if (info.suffix().isEmpty())
        fail("the file name has no extension.");
    const GDALDataType type = BandType(request);
    const long long least = LeastBytes(request.Format, request.Window.Cells(), type);
    if (least > 0) {
        const long long space = FreeSpace(folder);
        if (space >= 0 && space < least)
            diskFull();
    }

    GDALDriver* driver =
        GetGDALDriverManager()->GetDriverByName(FormatName(request.Format).toLatin1().constData());
    if (!driver)
        fail("GDAL has no driver for " + FormatName(request.Format) + ".");

    // Temporary names beside the target: the same extension, so that the driver names its side
    // files the same way; a leading dot keeps them out of sight.
    const QString finalStem = info.completeBaseName();
    const QString tempStem =
        QString(".%1.part-%2").arg(finalStem).arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
    const QString tempPath = QDir(folder).filePath(tempStem + "." + info.suffix());
    const auto cleanUp = [&] { RemoveFiles(FilesStartingWith(folder, tempStem)); };

    TExportDataset dataset(request, type);
    TProgressState progress{&control};
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
    GDALDataset* written = driver->CreateCopy(tempPath.toUtf8().constData(), &dataset, FALSE,
                                              CreationOptions(request.Format).List(), OnProgress, &progress);
    bool ok = written != nullptr;
    if (written)
        GDALClose(written);
    ok = ok && CPLGetLastErrorType() != CE_Failure && CPLGetLastErrorType() != CE_Fatal;
    const QString gdalMessage = QString::fromUtf8(CPLGetLastErrorMsg());
    CPLPopErrorHandler();
    if (control.Cancelled()) {
        cleanUp();
        return TExportOutcome::Cancelled;
    }
    double transform[6];
    dataset.GetGeoTransform(transform);
    const int cols = request.Window.Col1 - request.Window.Col0;
    const int rows = request.Window.Row1 - request.Window.Row0;
    if (ok && request.Format == TExportFormat::EHdr)
        ok = WriteWorldFile(QDir(folder).filePath(tempStem + ".blw"), transform);
    if (ok && request.Format == TExportFormat::RST)
        ok = WriteExactRdc(QDir(folder).filePath(tempStem + ".rdc"), transform, cols, rows);
    if (ok && request.Format == TExportFormat::AAIGrid)
        ok = WriteExactAsciiHeader(tempPath, transform, rows, control);
    if (control.Cancelled()) {
        cleanUp();
        return TExportOutcome::Cancelled;
    }
    if (!ok) {
        cleanUp();
        const long long space = FreeSpace(folder);
        // GDAL words a full disk in many ways; a folder without room left says it plainly.
        if (gdalMessage.contains("No space left", Qt::CaseInsensitive) || (space >= 0 && space < (1 << 20)))
            diskFull();
        fail(gdalMessage.isEmpty() ? QString("GDAL could not write it.") : gdalMessage);
    }

    // All written: the files of an earlier export of this name go, and the new ones take their names.
    const QStringList made = FilesStartingWith(folder, tempStem);
    QStringList finalNames;
    for (const QString& file : made)
        finalNames << QDir(folder).filePath(finalStem + QFileInfo(file).fileName().mid(tempStem.size()));
    for (const QString& old : ExistingExportMembers(request.Path, request.Format))
        if (!finalNames.contains(QFileInfo(old).absoluteFilePath()) && !finalNames.contains(old))
            QFile::remove(old);
    for (int i = 0; i < made.size(); ++i) {
        // rename(2) replaces an existing file in one step; QFile::rename would refuse.
        if (::rename(QFile::encodeName(made[i]).constData(), QFile::encodeName(finalNames[i]).constData()) !=
            0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            RemoveFiles(finalNames.mid(0, i));
            cleanUp();
            fail(reason);
        }
    }
    if (control.Progress)
        control.Progress(100);
    return TExportOutcome::Written;
}
