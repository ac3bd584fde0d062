#include "RasterArchive.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <zip.h>

namespace Demo {

namespace {

// Produces the raster rows on demand for libzip, which pulls them while it compresses.
class TRowSource {
public:
    TRowSource(const TDemoWorld& world, const TLandMask& land, QImage* preview,
               const std::function<void(double done)>& onProgress)
        : m_world(world), m_land(land), m_cols(world.Options().Cols), m_rows(world.Options().Rows),
          m_preview(preview), m_onProgress(onProgress) {
        m_row.resize(static_cast<std::size_t>(m_cols) * 2);
        if (m_preview) {
            m_previewRowOf.assign(m_rows, -1);
            for (int y = 0; y < m_preview->height(); ++y)
                m_previewRowOf[static_cast<int>((y + 0.5) * m_rows / m_preview->height())] = y;
        }
    }

    std::uint64_t Size() const { return static_cast<std::uint64_t>(m_cols) * m_rows * 2; }

    void Open() {
        m_sweep = std::make_unique<TLandMask::TSweep>(m_land, m_cols, m_rows);
        m_nextRow = 0;
        m_offset = m_row.size();
        Stats = TRasterStats{};
    }

    std::size_t Read(std::uint8_t* out, std::size_t length) {
        std::size_t done = 0;
        while (done < length) {
            if (m_offset == m_row.size()) {
                if (m_nextRow >= m_rows)
                    break;
                MakeRow(m_nextRow++);
                m_offset = 0;
                if (m_onProgress)
                    m_onProgress(static_cast<double>(m_nextRow) / m_rows);
            }
            const std::size_t n = std::min(length - done, m_row.size() - m_offset);
            std::memcpy(out + done, m_row.data() + m_offset, n);
            m_offset += n;
            done += n;
        }
        Stats.Bytes += done;
        return done;
    }

    TRasterStats Stats;

private:
    void MakeRow(int row) {
        m_sweep->RowSpans(row, m_spans);
        std::fill(m_row.begin(), m_row.end(), 0);
        for (const auto& [c0, c1] : m_spans)
            for (int c = c0; c < c1; ++c) {
                const std::uint16_t id = m_world.UnitAtLand(row, c);
                m_row[2 * c] = static_cast<std::uint8_t>(id & 0xFF); // little-endian
                m_row[2 * c + 1] = static_cast<std::uint8_t>(id >> 8);
                ++Stats.LandCells;
            }
        if (m_preview && m_previewRowOf[row] >= 0)
            DrawPreviewRow(m_previewRowOf[row]);
    }

    void DrawPreviewRow(int y) {
        const auto& units = m_world.Units();
        QRgb* line = reinterpret_cast<QRgb*>(m_preview->scanLine(y));
        for (int x = 0; x < m_preview->width(); ++x) {
            const int c = static_cast<int>((x + 0.5) * m_cols / m_preview->width());
            const int id = m_row[2 * c] | (m_row[2 * c + 1] << 8);
            if (id == 0) {
                line[x] = qRgb(255, 255, 255);
                continue;
            }
            const TClassInfo& info = ClassInfo(units.at(id - 1).Components.front().Soil.Class);
            line[x] = qRgb(info.Red, info.Green, info.Blue);
        }
    }

    const TDemoWorld& m_world;
    const TLandMask& m_land;
    int m_cols, m_rows;
    QImage* m_preview;
    const std::function<void(double done)>& m_onProgress;
    std::vector<int> m_previewRowOf;
    std::unique_ptr<TLandMask::TSweep> m_sweep;
    TSpans m_spans;
    std::vector<std::uint8_t> m_row;
    std::size_t m_offset = 0;
    int m_nextRow = 0;
};

struct TCallbackState {
    TRowSource* Source;
    zip_error_t Error;
};

zip_int64_t SourceCallback(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* state = static_cast<TCallbackState*>(userdata);
    try {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            state->Source->Open();
            return 0;
        case ZIP_SOURCE_READ:
            return static_cast<zip_int64_t>(state->Source->Read(static_cast<std::uint8_t*>(data), length));
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->valid = ZIP_STAT_SIZE;
            st->size = state->Source->Size();
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&state->Error, data, length);
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                  ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&state->Error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    } catch (...) {
        // An exception must not cross the C library.
        zip_error_set(&state->Error, ZIP_ER_INTERNAL, 0);
        return -1;
    }
}

void DrawOutlines(QImage& image, const TLandMask& land) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 0.5));
    const double sx = image.width() / 360.0, sy = image.height() / 180.0;
    for (const auto& ring : land.Rings()) {
        if (ring.size() < 2)
            continue;
        QPainterPath path;
        path.moveTo((ring[0].first + 180) * sx, (90 - ring[0].second) * sy);
        for (std::size_t i = 1; i < ring.size(); ++i)
            path.lineTo((ring[i].first + 180) * sx, (90 - ring[i].second) * sy);
        painter.drawPath(path);
    }
}

} // namespace

TRasterStats WriteRasterArchive(const QString& archivePath, const QString& memberName,
                                const TDemoWorld& world, const TLandMask& land, int compressionLevel,
                                QImage* preview, int previewWidth,
                                const std::function<void(double done)>& onProgress) {
    if (preview && previewWidth > 0) {
        *preview = QImage(previewWidth, previewWidth / 2, QImage::Format_RGB32);
        preview->fill(Qt::white);
    } else {
        preview = nullptr;
    }
    TRowSource rows(world, land, preview, onProgress);
    TCallbackState state{&rows, {}};
    zip_error_init(&state.Error);

    QFile::remove(archivePath);
    int error = 0;
    zip_t* archive = zip_open(archivePath.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("Cannot create the archive " + archivePath.toStdString());
    auto fail = [&](const char* what) {
        const std::string message = std::string(what) + ": " + zip_strerror(archive);
        zip_discard(archive);
        zip_error_fini(&state.Error);
        QFile::remove(archivePath);
        throw std::runtime_error(message);
    };
    zip_source_t* source = zip_source_function(archive, SourceCallback, &state);
    if (!source)
        fail("Cannot make the raster source");
    const zip_int64_t index =
        zip_file_add(archive, memberName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        fail("Cannot add the raster");
    }
    if (zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                 static_cast<zip_uint32_t>(compressionLevel)) < 0)
        fail("Cannot set the compression");
    // A fixed time stamp keeps the archive the same on every run (1 June 2024, 12:00).
    const zip_uint16_t dosTime = static_cast<zip_uint16_t>(12 << 11);
    const zip_uint16_t dosDate = static_cast<zip_uint16_t>(((2024 - 1980) << 9) | (6 << 5) | 1);
    if (zip_file_set_dostime(archive, static_cast<zip_uint64_t>(index), dosTime, dosDate, 0) < 0)
        fail("Cannot set the time stamp");
    if (zip_close(archive) < 0)
        fail("Cannot write the archive");
    zip_error_fini(&state.Error);
    if (preview)
        DrawOutlines(*preview, land);
    return rows.Stats;
}

} // namespace Demo
