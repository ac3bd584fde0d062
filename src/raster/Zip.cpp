#include "raster/Zip.h"

#include "common/Logging.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>
#include <zip.h>

namespace {

QString Quoted(const QString& text) {
    return '"' + text + '"';
}

// The end-of-central-directory record of an archive without members.
QByteArray EmptyArchive() {
    QByteArray record(22, '\0');
    record[0] = 0x50;
    record[1] = 0x4B;
    record[2] = 0x05;
    record[3] = 0x06;
    return record;
}

// True when the end-of-central-directory signature lies where an archive keeps it: in the last
// 22 bytes, or within the comment space before them.
bool HasEndRecord(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 22)
        return false;
    const qint64 tail = std::min<qint64>(file.size(), 65535 + 22);
    file.seek(file.size() - tail);
    return file.read(tail).lastIndexOf(QByteArray("PK\x05\x06", 4)) >= 0;
}

struct TZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

} // namespace

TZip::TZip() = default;

TZip::~TZip() {
    Close();
}

void TZip::Close() {
    if (m_archive)
        zip_discard(m_archive);
    m_archive = nullptr;
}

void TZip::SetArchiveName(const QString& name) {
    Close();
    m_contents.clear();
    m_archiveName = name;
    if (name.isEmpty())
        return;
    const QFileInfo info(name);
    if (!QStorageInfo(info.absolutePath()).isValid() || !info.absoluteDir().exists())
        throw TZipError("Unable to access the selected drive!");
    // A named pipe or device would block or never end: only a regular file can be an archive.
    if (info.exists() && !info.isFile())
        throw TZipError(Quoted(name) + "\nis not a valid Zip file.");
    if (!info.exists()) {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly) || file.write(EmptyArchive()) != 22)
            throw TZipError("Unable to create \n" + Quoted(name));
    }

    int error = 0;
    m_archive = zip_open(QFile::encodeName(name).constData(), ZIP_RDONLY, &error);
    if (!m_archive) {
        // Without an end record the file is no archive; with one, its directory is damaged.
        if (!HasEndRecord(name))
            throw TZipError(Quoted(name) + "\nis not a valid Zip file.");
        throw TZipError("Error reading CentralFileHeader.");
    }
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        // Names not marked as UTF-8 are taken as the DOS code page and converted.
        if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_NAME)) {
            Close();
            m_contents.clear();
            throw TZipError("Error reading CentralFileHeader.");
        }
        TZipDirEntry entry;
        entry.FileName = QString::fromUtf8(stat.name);
        entry.CompressedSize = static_cast<qint64>(stat.comp_size);
        entry.UncompressedSize = static_cast<qint64>(stat.size);
        entry.CRC32 = stat.crc;
        m_contents.push_back(entry);
    }
    if (OnContentsChanged)
        OnContentsChanged();
}

TZipAnswer TZip::Ask(const QString& text) const {
    return OnQuestion ? OnQuestion(text) : TZipAnswer::No;
}

// The file a member goes to; empty for a name that would lead outside the extraction folder.
QString TZip::DestinationOf(const QString& member) const {
    QString relative = QString(member).replace('\\', '/');
    if (!(ExtractOptions & ExtrDirNames))
        relative = QFileInfo(relative).fileName();
    const QString cleaned = QDir::cleanPath(relative);
    if (cleaned.isEmpty() || cleaned == "." || cleaned.startsWith("../") || cleaned == ".." ||
        QDir::isAbsolutePath(cleaned) || relative.endsWith('/'))
        return {};
    return QDir(ExtractFolder).filePath(cleaned);
}

int TZip::ExtractMembers() {
    const QStringList members = MemberList;
    MemberList.clear();
    m_lastFailure = TZipFailure::None;
    m_lastFailureText.clear();
    if (m_contents.empty() || !m_archive)
        return 0;
    if (!QFileInfo(ExtractFolder).isDir()) {
        if (OnMessage)
            OnMessage("Unable to extract files to:\n" + Quoted(ExtractFolder) +
                      "\nThis folder does not exist.");
        Fail(TZipFailure::WriteError);
        return 0;
    }
    int extracted = 0;
    for (const QString& member : members) {
        for (size_t i = 0; i < m_contents.size(); ++i) {
            if (m_contents[i].FileName.compare(member, Qt::CaseInsensitive) != 0)
                continue;
            QElapsedTimer clock;
            clock.start();
            qCInfo(LogExtract) << "extracting" << member << "of" << m_archiveName << "into" << ExtractFolder;
            const TMemberResult result = ExtractMember(static_cast<std::int64_t>(i), m_contents[i]);
            qCInfo(LogExtract) << member
                               << (result == TMemberResult::Extracted   ? "extracted"
                                   : result == TMemberResult::Cancelled ? "cancelled"
                                                                        : "not extracted")
                               << "after" << clock.elapsed() << "ms";
            if (result == TMemberResult::Extracted)
                ++extracted;
            if (result == TMemberResult::Cancelled)
                return extracted;
            break;
        }
    }
    return extracted;
}

TZip::TMemberResult TZip::ExtractMember(std::int64_t index, const TZipDirEntry& entry) {
    const QString destination = DestinationOf(entry.FileName);
    if (destination.isEmpty())
        return Fail(TZipFailure::Damaged);
    const QFileInfo existing(destination);
    if (existing.exists() && !(ExtractOptions & ExtrOverWrite)) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        zip_stat_index(m_archive, static_cast<zip_uint64_t>(index), 0, &stat);
        const bool older = (stat.valid & ZIP_STAT_MTIME) &&
                           existing.lastModified() < QDateTime::fromSecsSinceEpoch(stat.mtime);
        const QString question =
            older ? Quoted(entry.FileName) + " is older than the zipped file.\nOverwrite this file? ..."
                  : Quoted(entry.FileName) +
                        " is the same age or newer than the zipped file.\nDo you really want to overwrite "
                        "this file? ...";
        const TZipAnswer answer = Ask(question);
        if (answer == TZipAnswer::Cancel)
            return Fail(TZipFailure::Cancelled);
        if (answer == TZipAnswer::No)
            return Fail(TZipFailure::Refused);
    }
    QDir().mkpath(QFileInfo(destination).absolutePath());

    std::unique_ptr<zip_file_t, TZipFileCloser> source(
        zip_fopen_index(m_archive, static_cast<zip_uint64_t>(index), 0));
    if (!source)
        return Fail(TZipFailure::Damaged);
    // The member grows under a temporary name and takes its own name only when complete.
    const QString partial = destination + ".part";
    QFile::remove(partial);
    QFile out(partial);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Fail(out.error() == QFileDevice::ResourceError ? TZipFailure::DiskFull
                                                              : TZipFailure::WriteError,
                    out.errorString());
    auto discard = [&out, &partial] {
        out.close();
        QFile::remove(partial);
    };

    std::vector<char> buffer(static_cast<size_t>(std::max(StepBytes, 4096)));
    qint64 written = 0;
    bool crcError = false;
    for (;;) {
        const zip_int64_t n = zip_fread(source.get(), buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            // A CRC mismatch shows only once the last byte was delivered; other errors mean
            // damaged data.
            crcError = zip_error_code_zip(zip_file_get_error(source.get())) == ZIP_ER_CRC;
            if (!crcError) {
                discard();
                return Fail(TZipFailure::Damaged);
            }
            break;
        }
        // A member may not grow past the size its entry declares (a bomb would fill the disk).
        if (written + n > entry.UncompressedSize) {
            discard();
            return Fail(TZipFailure::Damaged);
        }
        // Written through the descriptor, so that a full disk and a file size limit are told
        // apart by the system's own error.
        const char* data = buffer.data();
        for (zip_int64_t left = n; left > 0;) {
            const ssize_t done = ::write(out.handle(), data, static_cast<size_t>(left));
            if (done < 0 && errno == EINTR)
                continue;
            if (done <= 0) {
                const int error = done < 0 ? errno : ENOSPC;
                discard();
                return Fail(error == ENOSPC || error == EDQUOT ? TZipFailure::DiskFull
                            : error == EFBIG                   ? TZipFailure::FileTooLarge
                                                               : TZipFailure::WriteError,
                            QString::fromLocal8Bit(std::strerror(error)));
            }
            data += done;
            left -= done;
        }
        written += n;
        if (OnZEDProgressEvent && !OnZEDProgressEvent(entry.FileName, n, entry.UncompressedSize)) {
            discard();
            return Fail(TZipFailure::Cancelled);
        }
    }
    if (written != entry.UncompressedSize) {
        discard();
        return Fail(TZipFailure::Damaged);
    }
    if (crcError) {
        const TZipAnswer answer =
            Ask(Quoted(entry.FileName) + " may be corrupted (CRC error).\nExtract this file anyway? ...");
        if (answer != TZipAnswer::Yes) {
            discard();
            return Fail(answer == TZipAnswer::Cancel ? TZipFailure::Cancelled : TZipFailure::CrcError);
        }
    }
    if (::fsync(out.handle()) != 0 && errno != EINVAL) {
        const int error = errno;
        discard();
        return Fail(error == ENOSPC || error == EDQUOT ? TZipFailure::DiskFull : TZipFailure::WriteError,
                    QString::fromLocal8Bit(std::strerror(error)));
    }
    out.close();
    QFile::remove(destination);
    if (!QFile::rename(partial, destination)) {
        QFile::remove(partial);
        return Fail(TZipFailure::WriteError);
    }
    return TMemberResult::Extracted;
}

TZip::TMemberResult TZip::Fail(TZipFailure failure, const QString& text) {
    m_lastFailure = failure;
    m_lastFailureText = text;
    return failure == TZipFailure::Cancelled ? TMemberResult::Cancelled : TMemberResult::Skipped;
}
