#pragma once
// The archive component: reads the directory of a zip archive and extracts named members into a
// folder. A member is streamed through a temporary file beside its destination and renamed only
// when it is complete and its size and CRC were checked, so an interrupted extraction never leaves
// a full-looking file. Built on libzip; questions and messages go to callbacks the caller sets.

#include "common/TAMOError.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct zip;

// Errors of the archive component (unreadable drive, not a zip archive, damaged directory).
class TZipError : public TAMOError {
public:
    using TAMOError::TAMOError;
};

// Options of an extraction; the first one is the default.
enum TExtractOption : std::uint8_t {
    ExtrDirNames = 1,  // keep the folders of member names below the extraction folder
    ExtrOverWrite = 2, // replace existing files without asking
};
using TExtractOptions = std::uint8_t;

enum class TZipAnswer { Yes, No, Cancel };

// Why the last member of an extraction was not extracted.
enum class TZipFailure {
    None,
    Cancelled,    // the progress callback or a question's Cancel stopped it
    Refused,      // a question answered No (overwrite, or a CRC error)
    CrcError,     // the data did not match its checksum and the user did not take it anyway
    Damaged,      // unreadable data, or more or fewer bytes than the directory declares
    DiskFull,     // the file system of the extraction folder is full
    FileTooLarge, // a file size limit (quota, ulimit -f) was reached
    WriteError,   // any other failure to create or write the file
};

// One entry of the archive directory.
struct TZipDirEntry {
    QString FileName;
    qint64 CompressedSize = 0;
    qint64 UncompressedSize = 0;
    std::uint32_t CRC32 = 0;
};

class TZip {
public:
    TZip();
    ~TZip();
    TZip(const TZip&) = delete;
    TZip& operator=(const TZip&) = delete;

    // Sets the archive and reads its directory. An empty name clears it. A missing archive is
    // created empty. Raises TZipError for an inaccessible folder, a file that is no zip archive
    // or a damaged directory.
    void SetArchiveName(const QString& name);
    QString ArchiveName() const { return m_archiveName; }
    const std::vector<TZipDirEntry>& ZipContents() const { return m_contents; }

    QStringList MemberList; // members to extract; cleared by ExtractMembers
    QString ExtractFolder;  // where they go; must exist
    TExtractOptions ExtractOptions = ExtrDirNames;
    int StepBytes = 1 << 20; // bytes delivered per progress step

    // A step of the extraction: member name, bytes of this step, member size. False cancels.
    std::function<bool(const QString& fileName, qint64 stepBytes, qint64 fileSize)> OnZEDProgressEvent;
    // Questions (CRC error, overwrite) with Yes, No and Cancel; unanswered questions mean No.
    std::function<TZipAnswer(const QString& text)> OnQuestion;
    // Messages that end an extraction before it starts (missing folder).
    std::function<void(const QString& text)> OnMessage;
    // The directory was read anew.
    std::function<void()> OnContentsChanged;

    // Extracts the members of MemberList into ExtractFolder; the number of files extracted.
    // A member that fails (damaged data, a write error, a cancel) leaves no file behind; a member
    // that inflates past the size its directory entry declares is stopped there as damaged.
    int ExtractMembers();
    // Why the last member that failed was not extracted (None when every member was), and the
    // system's words for a write error.
    TZipFailure LastFailure() const { return m_lastFailure; }
    QString LastFailureText() const { return m_lastFailureText; }

private:
    enum class TMemberResult { Extracted, Skipped, Cancelled };
    TMemberResult ExtractMember(std::int64_t index, const TZipDirEntry& entry);
    QString DestinationOf(const QString& member) const;
    TZipAnswer Ask(const QString& text) const;
    void Close();

    TMemberResult Fail(TZipFailure failure, const QString& text = {});

    TZipFailure m_lastFailure = TZipFailure::None;
    QString m_lastFailureText;
    QString m_archiveName;
    std::vector<TZipDirEntry> m_contents;
    zip* m_archive = nullptr;
};
