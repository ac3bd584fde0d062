// Extraction of the raster from its archive: the archive component on small zip files made here,
// finding the raster with extraction, and the progress window.
#include "MapFakes.h"
#include "TestSupport.h"
#include "map/frmProgress.h"
#include "raster/RasterFile.h"
#include "raster/RasterLocator.h"
#include "raster/Zip.h"
#include "themes/ThemeRecords.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <zip.h>

namespace {

enum class TStore { Deflate, Stored };

struct TMember {
    QString Name;
    QByteArray Data;
    TStore Method = TStore::Deflate;
};

void MakeZip(const QString& path, const std::vector<TMember>& members) {
    QFile::remove(path);
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const TMember& member : members) {
        zip_source_t* source = zip_source_buffer(archive, member.Data.constData(), member.Data.size(), 0);
        const zip_int64_t index = zip_file_add(archive, member.Name.toUtf8().constData(), source, 0);
        ASSERT_GE(index, 0);
        if (member.Method == TStore::Stored)
            zip_set_file_compression(archive, index, ZIP_CM_STORE, 0);
    }
    ASSERT_EQ(zip_close(archive), 0);
}

QByteArray Pattern(int size) {
    QByteArray data(size, 0);
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + i / 13) & 0xFF);
    return data;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Flips one byte of a stored member's data inside the archive.
void DamageStoredMember(const QString& zipPath, const QByteArray& data) {
    QByteArray bytes = ReadAll(zipPath);
    const qsizetype at = bytes.indexOf(data);
    ASSERT_GE(at, 0);
    bytes[at + data.size() / 2] = char(bytes[at + data.size() / 2] ^ 0x55);
    QFile file(zipPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ZipTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    QString Folder;
    QString Out;
    TZip Zip;
    QStringList Questions;
    std::deque<TZipAnswer> Answers;

    void SetUp() override {
        Folder = Env.Folder();
        Out = Folder + "out/";
        QDir().mkpath(Out);
        Zip.OnQuestion = [this](const QString& text) {
            Questions << text;
            if (Answers.empty())
                return TZipAnswer::No;
            const TZipAnswer answer = Answers.front();
            Answers.pop_front();
            return answer;
        };
    }
    int Extract(const QStringList& members) {
        Zip.MemberList = members;
        Zip.ExtractFolder = Out;
        return Zip.ExtractMembers();
    }
    QStringList OutFiles() const { return QDir(Out).entryList(QDir::Files); }
};

} // namespace

TEST_F(ZipTest, ExtractsANamedMemberInStepsWithProgress) {
    const QByteArray data = Pattern(10'500);
    MakeZip(Folder + "a.zip", {{"TAMO2.bil", data}, {"other.txt", "other"}});
    int contentsChanged = 0;
    Zip.OnContentsChanged = [&] { ++contentsChanged; };
    Zip.SetArchiveName(Folder + "a.zip");
    ASSERT_EQ(Zip.ZipContents().size(), 2u);
    EXPECT_EQ(Zip.ZipContents()[0].FileName, "TAMO2.bil");
    EXPECT_EQ(Zip.ZipContents()[0].UncompressedSize, data.size());
    EXPECT_EQ(contentsChanged, 1);

    std::vector<qint64> steps;
    Zip.StepBytes = 4096;
    Zip.OnZEDProgressEvent = [&](const QString& name, qint64 step, qint64 size) {
        EXPECT_EQ(name, "TAMO2.bil");
        EXPECT_EQ(size, data.size());
        steps.push_back(step);
        return true;
    };
    EXPECT_EQ(Extract({"TAMO2.bil"}), 1);
    EXPECT_EQ(steps, (std::vector<qint64>{4096, 4096, 2308}));
    EXPECT_EQ(ReadAll(Out + "TAMO2.bil"), data);
    EXPECT_EQ(OutFiles(), QStringList{"TAMO2.bil"});
    EXPECT_TRUE(Zip.MemberList.isEmpty());

    // An existing file is replaced only when the user agrees (or the options say so).
    QFile(Out + "TAMO2.bil").resize(3);
    Answers = {TZipAnswer::No};
    EXPECT_EQ(Extract({"TAMO2.bil"}), 0);
    EXPECT_EQ(QFileInfo(Out + "TAMO2.bil").size(), 3);
    ASSERT_EQ(Questions.size(), 1);
    EXPECT_TRUE(Questions[0].startsWith("\"TAMO2.bil\" is ")) << Questions[0].toStdString();
    Zip.ExtractOptions = ExtrDirNames | ExtrOverWrite;
    EXPECT_EQ(Extract({"TAMO2.bil"}), 1);
    EXPECT_EQ(ReadAll(Out + "TAMO2.bil"), data);
}

TEST_F(ZipTest, ACorruptMemberAsksAboutTheCrcAndKeepsNothingUnlessTheUserSaysYes) {
    const QByteArray data = Pattern(5000);
    MakeZip(Folder + "bad.zip", {{"TAMO2.bil", data, TStore::Stored}, {"next.bil", "next", TStore::Stored}});
    DamageStoredMember(Folder + "bad.zip", data);
    const QString question = "\"TAMO2.bil\" may be corrupted (CRC error).\nExtract this file anyway? ...";

    Zip.SetArchiveName(Folder + "bad.zip");
    Answers = {TZipAnswer::No};
    EXPECT_EQ(Extract({"TAMO2.bil", "next.bil"}), 1);
    EXPECT_EQ(Questions, QStringList{question});
    EXPECT_EQ(OutFiles(), QStringList{"next.bil"});

    QFile::remove(Out + "next.bil");
    Answers = {TZipAnswer::Cancel};
    EXPECT_EQ(Extract({"TAMO2.bil", "next.bil"}), 0);
    EXPECT_TRUE(OutFiles().isEmpty());

    Answers = {TZipAnswer::Yes};
    EXPECT_EQ(Extract({"TAMO2.bil"}), 1);
    EXPECT_EQ(QFileInfo(Out + "TAMO2.bil").size(), data.size());

    // Damaged compressed data: nothing is left behind.
    QByteArray compressible(200'000, 'x');
    MakeZip(Folder + "broken.zip", {{"TAMO2.bil", compressible}});
    QByteArray bytes = ReadAll(Folder + "broken.zip");
    for (int i = 40; i < 60; ++i)
        bytes[i] = char(0xFF);
    QFile file(Folder + "broken.zip");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QFile::remove(Out + "TAMO2.bil");
    Zip.SetArchiveName(Folder + "broken.zip");
    EXPECT_EQ(Extract({"TAMO2.bil"}), 0);
    EXPECT_TRUE(OutFiles().isEmpty());
}

TEST_F(ZipTest, ACancelOrAMissingFolderLeavesNoFile) {
    MakeZip(Folder + "a.zip", {{"TAMO2.bil", Pattern(50'000)}});
    Zip.SetArchiveName(Folder + "a.zip");
    Zip.StepBytes = 4096;
    int steps = 0;
    Zip.OnZEDProgressEvent = [&](const QString&, qint64, qint64) { return ++steps < 3; };
    EXPECT_EQ(Extract({"TAMO2.bil"}), 0);
    EXPECT_EQ(steps, 3);
    EXPECT_TRUE(OutFiles().isEmpty());

    QStringList messages;
    Zip.OnMessage = [&](const QString& text) { messages << text; };
    Zip.MemberList = {"TAMO2.bil"};
    Zip.ExtractFolder = Folder + "nowhere";
    EXPECT_EQ(Zip.ExtractMembers(), 0);
    EXPECT_EQ(messages, QStringList{"Unable to extract files to:\n\"" + Folder +
                                    "nowhere\"\nThis folder does not exist."});
}

TEST_F(ZipTest, TwoExtractionsEachKeepTheirOwnCallbacks) {
    // A second extraction that starts while the first runs (from its progress callback) reports
    // only to its own callbacks, and the first goes on reporting to its own.
    MakeZip(Folder + "a.zip", {{"a.bil", Pattern(20'000)}});
    MakeZip(Folder + "b.zip", {{"b.bil", Pattern(9'000)}});
    TZip other;
    other.SetArchiveName(Folder + "b.zip");
    other.StepBytes = 4096;
    QStringList firstSteps, secondSteps;
    other.OnZEDProgressEvent = [&](const QString& name, qint64, qint64) {
        secondSteps << name;
        return true;
    };
    Zip.SetArchiveName(Folder + "a.zip");
    Zip.StepBytes = 4096;
    Zip.OnZEDProgressEvent = [&](const QString& name, qint64, qint64) {
        firstSteps << name;
        if (firstSteps.size() == 1) {
            other.MemberList = {"b.bil"};
            other.ExtractFolder = Out;
            EXPECT_EQ(other.ExtractMembers(), 1);
        }
        return true;
    };
    EXPECT_EQ(Extract({"a.bil"}), 1);
    EXPECT_EQ(firstSteps, QStringList(5, "a.bil"));
    EXPECT_EQ(secondSteps, QStringList(3, "b.bil"));
    EXPECT_EQ(ReadAll(Out + "a.bil"), Pattern(20'000));
    EXPECT_EQ(ReadAll(Out + "b.bil"), Pattern(9'000));
}

TEST_F(ZipTest, NamesLeadingOutOfTheFolderAreNotExtracted) {
    MakeZip(Folder + "evil.zip", {{"../evil.bil", "x"}, {"sub/inner.bil", "y"}});
    Zip.SetArchiveName(Folder + "evil.zip");
    EXPECT_EQ(Extract({"../evil.bil", "sub/inner.bil"}), 1);
    EXPECT_FALSE(QFileInfo::exists(Folder + "evil.bil"));
    EXPECT_EQ(ReadAll(Out + "sub/inner.bil"), "y");
}

TEST_F(ZipTest, ArchiveErrorsCarryTheComponentsMessages) {
    QFile text(Folder + "text.zip");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(500, 'a'));
    text.close();
    try {
        Zip.SetArchiveName(Folder + "text.zip");
        ADD_FAILURE() << "no error";
    } catch (const TZipError& error) {
        EXPECT_EQ(error.Message(), "\"" + Folder + "text.zip\"\nis not a valid Zip file.");
    }

    // A directory whose header signature is broken.
    MakeZip(Folder + "dir.zip", {{"TAMO2.bil", "data"}});
    QByteArray bytes = ReadAll(Folder + "dir.zip");
    const qsizetype central = bytes.indexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_GT(central, 0);
    bytes[central + 2] = 9;
    QFile dir(Folder + "dir.zip");
    ASSERT_TRUE(dir.open(QIODevice::WriteOnly));
    dir.write(bytes);
    dir.close();
    try {
        Zip.SetArchiveName(Folder + "dir.zip");
        ADD_FAILURE() << "no error";
    } catch (const TZipError& error) {
        EXPECT_EQ(error.Message(), "Error reading CentralFileHeader.");
    }
    EXPECT_TRUE(Zip.ZipContents().empty());

    // A missing archive is made as an empty one.
    Zip.SetArchiveName(Folder + "new.zip");
    EXPECT_EQ(QFileInfo(Folder + "new.zip").size(), 22);
    EXPECT_TRUE(Zip.ZipContents().empty());
    EXPECT_EQ(Extract({"TAMO2.bil"}), 0);
}

namespace {

// Records what the user would have seen of an extraction.
class TRecordingView : public TExtractionView {
public:
    int Opened = 0, Closed = 0;
    long long Bytes = 0;
    int CancelAfterSteps = -1;
    QStringList Questions;
    void Open() override { ++Opened; }
    bool Progress(const QString&, long long step) override {
        Bytes += step;
        return CancelAfterSteps < 0 || --CancelAfterSteps > 0;
    }
    void Close() override { ++Closed; }
    TZipAnswer Ask(const QString& text) override {
        Questions << text;
        return TZipAnswer::No;
    }
    void Tell(const QString&) override {}
};

class ResolveWithExtractionTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TRasterRequest Request;
    QString Cache;
    TRecordingView View;
    long long FreeBytes = 10'000'000'000LL;

    void SetUp() override {
        Cache = Env.Folder() + "Cache/";
        QDir().mkpath(Cache);
        Request.FileName = "TAMO2.bil";
        Request.ArchivePath = Env.Folder() + "TAMO2.zip";
        Request.Bytes = 2;
        Request.CacheFolder = Cache;
        Request.RasterFile = Cache + "TAMO2.bil";
        Request.FreeSpace = [this](const QString& folder) {
            EXPECT_EQ(QDir(folder), QDir(Cache));
            return FreeBytes;
        };
    }
};

} // namespace

TEST_F(ResolveWithExtractionTest, ExtractsWhenNothingIsCachedAndDeletesAWrongSizedResult) {
    MakeZip(Request.ArchivePath, {{"TAMO2.bil", Pattern(300'000)}});
    const TRasterLocation found = ResolveRasterFile(Request, &View);
    EXPECT_TRUE(found.Path.isEmpty());
    EXPECT_EQ(View.Opened, 1);
    EXPECT_GE(View.Closed, 1);
    EXPECT_EQ(View.Bytes, 300'000);
    // Extracted, found too small, deleted: the next attempt starts afresh.
    EXPECT_TRUE(QDir(Cache).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(QFileInfo(found.File), QFileInfo(Cache + "TAMO2.bil"));
}

TEST_F(ResolveWithExtractionTest, TooLittleSpaceMeansNoExtraction) {
    MakeZip(Request.ArchivePath, {{"TAMO2.bil", Pattern(1000)}});
    // The partial file of an interrupted extraction goes first: it would count against the space.
    QFile partial(Cache + "TAMO2.bil.part");
    ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
    partial.close();
    FreeBytes = 1'999'999'999;
    EXPECT_TRUE(ResolveRasterFile(Request, &View).Path.isEmpty());
    EXPECT_EQ(View.Opened, 0);
    EXPECT_FALSE(QFileInfo::exists(Cache + "TAMO2.bil.part"));
    FreeBytes = 2'000'000'000;
    EXPECT_TRUE(ResolveRasterFile(Request, &View).Path.isEmpty());
    EXPECT_EQ(View.Opened, 1);
}

TEST_F(ResolveWithExtractionTest, ACachedRasterOpensWithoutExtraction) {
    MakeZip(Request.ArchivePath, {{"TAMO2.bil", Pattern(1000)}});
    WriteRaster(
        Cache + "TAMO2.bil", 60, 30, 2, [](int, int) { return 1u; }, TRasterHeader::Beside);
    EXPECT_EQ(QFileInfo(ResolveRasterFile(Request, &View).Path), QFileInfo(Cache + "TAMO2.bil"));
    EXPECT_EQ(View.Opened, 0);
}

TEST_F(ResolveWithExtractionTest, ACancelledExtractionLeavesNothingAndFails) {
    MakeZip(Request.ArchivePath, {{"TAMO2.bil", Pattern(3'000'000)}});
    View.CancelAfterSteps = 2;
    EXPECT_TRUE(ResolveRasterFile(Request, &View).Path.isEmpty());
    EXPECT_EQ(View.Bytes, 2 << 20);
    EXPECT_TRUE(QDir(Cache).entryList(QDir::Files).isEmpty());
}

TEST_F(ResolveWithExtractionTest, AnArchiveThatIsNoZipRaisesItsErrorAndClosesTheWindow) {
    QFile archive(Request.ArchivePath);
    ASSERT_TRUE(archive.open(QIODevice::WriteOnly));
    archive.write("not a zip archive at all");
    archive.close();
    EXPECT_THROW(ResolveRasterFile(Request, &View), TZipError);
    EXPECT_EQ(View.Opened, 1);
    EXPECT_GE(View.Closed, 1);
}

namespace {
// Makes the member's declared (uncompressed) size `declared` in both of its headers.
void DeclareSize(const QString& zipPath, quint32 declared) {
    QByteArray bytes = ReadAll(zipPath);
    const auto put = [&](qsizetype at) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((declared >> (8 * i)) & 0xFF);
    };
    const qsizetype local = bytes.indexOf(QByteArray("PK\x03\x04", 4));
    const qsizetype central = bytes.indexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_GE(local, 0);
    ASSERT_GE(central, 0);
    put(local + 22);
    put(central + 24);
    QFile file(zipPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

// Hostile archives and what the user is told about each; nothing outside the cache folder changes.
TEST_F(ResolveWithExtractionTest, HostileArchivesEndInTheirOwnMessage) {
    const QString archive = Request.ArchivePath;
    const QString outside = Env.Folder() + "victim";
    struct TCase {
        const char* Name;
        std::function<void()> Make;
        QString Message; // a part of the message; empty: none, the user cancelled
    };
    const TCase cases[] = {
        {"member inflating past its declared size",
         [&] {
             MakeZip(archive, {{"TAMO2.bil", QByteArray(400'000, 'z')}});
             DeclareSize(archive, 1000);
         },
         "is damaged: its raster \"TAMO2.bil\" cannot be extracted"},
        {"CRC error answered No",
         [&] {
             const QByteArray data = Pattern(5000);
             MakeZip(archive, {{"TAMO2.bil", data, TStore::Stored}});
             DamageStoredMember(archive, data);
         },
         "is damaged (CRC error) and was not extracted"},
        {"cancelled by the user",
         [&] {
             MakeZip(archive, {{"TAMO2.bil", Pattern(3'000'000)}});
             View.CancelAfterSteps = 1;
         },
         ""},
        {"too little free space",
         [&] {
             MakeZip(archive, {{"TAMO2.bil", Pattern(1000)}});
             FreeBytes = 1'500'000'000;
         },
         "too little free space to extract the raster \"TAMO2.bil\" into the cache folder"},
        {"member missing",
         [&] {
             MakeZip(archive, {{"other.bil", Pattern(1000)}});
         },
         kRasterNotFoundMessage},
    };
    WriteFile(outside, "keep me");
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        View = {};
        FreeBytes = 10'000'000'000LL;
        test.Make();
        const TRasterLocation found = ResolveRasterFile(Request, &View);
        EXPECT_TRUE(found.Path.isEmpty());
        if (test.Message.isEmpty()) {
            EXPECT_TRUE(found.Cancelled);
            EXPECT_TRUE(found.Message.isEmpty());
        } else if (test.Message == kRasterNotFoundMessage) {
            EXPECT_FALSE(found.Cancelled);
            EXPECT_TRUE(found.Message.isEmpty()) << found.Message.toStdString();
        } else {
            EXPECT_FALSE(found.Cancelled);
            EXPECT_TRUE(found.Message.contains(test.Message)) << found.Message.toStdString();
        }
        EXPECT_TRUE(QDir(Cache).entryList(QDir::Files | QDir::System).isEmpty());
        EXPECT_EQ(ReadAll(outside), "keep me");
    }
}

TEST_F(ResolveWithExtractionTest, AnArchiveOrRasterThatIsANamedPipeNeitherBlocksNorIsOpened) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(Request.ArchivePath).constData(), 0600), 0);
    EXPECT_THROW(ResolveRasterFile(Request, &View), TZipError);
    QFile::remove(Request.ArchivePath);
    MakeZip(Request.ArchivePath, {{"TAMO2.bil", Pattern(1000)}});
    // A pipe where the cached raster would be: not a complete raster, removed from the cache.
    ASSERT_EQ(::mkfifo(QFile::encodeName(Cache + "TAMO2.bil").constData(), 0600), 0);
    EXPECT_TRUE(ResolveRasterFile(Request, &View).Path.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Cache + "TAMO2.bil"));
}

TEST_F(ResolveWithExtractionTest, AThemeFileNameLeadingOutOfTheCacheIsAnInvalidTheme) {
    MakeZip(Request.ArchivePath, {{"TAMO2.bil", Pattern(1000)}});
    const QString victim = Env.Folder() + "victim";
    WriteFile(victim, "keep me");
    WriteFile(victim + ".part", "keep me too");
    Request.ThemeName = "Soil units";
    for (const QString& name : {QString("../victim"), victim, QString("sub/TAMO2.bil"), QString(".."),
                                QString("..\\victim"), QString()}) {
        SCOPED_TRACE(name.toStdString());
        Request.FileName = name;
        try {
            ResolveRasterFile(Request, &View);
            ADD_FAILURE() << "no error";
        } catch (const TAMOError& error) {
            EXPECT_TRUE(error.Message().startsWith("The theme \"Soil units\" is invalid")) << error.what();
        }
    }
    EXPECT_EQ(ReadAll(victim), "keep me");
    EXPECT_EQ(ReadAll(victim + ".part"), "keep me too");
}

TEST_F(ResolveWithExtractionTest, AFileSizeLimitEndsTheExtractionWithItsMessage) {
    MakeZip(Request.ArchivePath, {{"TAMO2.bil", Pattern(600'000)}});
    // As the program does at its start: a write past the limit fails instead of killing it.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100'000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const TRasterLocation found = ResolveRasterFile(Request, &View);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(found.Path.isEmpty());
    EXPECT_TRUE(found.Message.contains("a file size limit or quota")) << found.Message.toStdString();
    EXPECT_TRUE(QDir(Cache).entryList(QDir::Files).isEmpty());
}

TEST(ExtractionProgress, ShowsWholePercentagesOfTwoBillionBytesUpTo93) {
    TScopedEnvironment env;
    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    long long extracted = 0;
    TExtractionProgress progress(&owner, extracted);
    progress.Open();
    TfrmProgress& window = *progress.Window();
    EXPECT_EQ(window.windowTitle(), "Decompressing ...");
    EXPECT_FALSE(window.isVisible());

    QStringList texts;
    const long long total = 2 * kWorldCells;
    for (long long done = 0; done < total;) {
        const long long step = std::min<long long>(1 << 20, total - done);
        ASSERT_TRUE(progress.Progress("TAMO2.bil", step));
        done += step;
        if (!window.lblProgress->text().isEmpty() &&
            (texts.isEmpty() || texts.last() != window.lblProgress->text()))
            texts << window.lblProgress->text();
    }
    EXPECT_EQ(extracted, total);
    QStringList expected;
    for (int p = 1; p <= 93; ++p)
        expected << QString("%1 % completed.").arg(p);
    EXPECT_EQ(texts, expected);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.lblFilename->text(), "Extracting raster file: TAMO2.bil");
    for (const char* text : {"Please wait....", "(required only once)"}) {
        bool found = false;
        for (QLabel* label : window.findChildren<QLabel*>())
            found = found || label->text() == text;
        EXPECT_TRUE(found) << text;
    }

    // Cancel ends the extraction at its next step.
    QTest::mouseClick(window.btnCancel, Qt::LeftButton);
    EXPECT_FALSE(progress.Progress("TAMO2.bil", 1));
    progress.Close();
    EXPECT_EQ(progress.Window(), nullptr);
}

TEST(ExtractionProgress, TheTextIsShownOnlyForWholePercentages) {
    EXPECT_EQ(ExtractionProgressText(0), QString("0 % completed."));
    EXPECT_EQ(ExtractionProgressText(20'000'000), QString("1 % completed."));
    EXPECT_EQ(ExtractionProgressText(20'999'999), QString("1 % completed."));
    EXPECT_FALSE(ExtractionProgressText(21'000'000));
    EXPECT_EQ(ExtractionProgressText(1'866'240'000), std::nullopt); // 93.3
    EXPECT_EQ(ExtractionProgressText(1'860'000'000), QString("93 % completed."));
}

TEST(MapWindowExtraction, AFailedExtractionShowsTheNotFoundMessageAndClosesTheProgressWindow) {
    TScopedEnvironment env;
    TTestResponder responder;
    TFakeHost host;
    const QString cache = env.Folder() + "Cache/";
    QDir().mkpath(cache);
    host.Settings.CacheFolder = cache;
    host.Settings.RasterFile = cache + "TAMO2.bil";
    TQEV_library library;
    library.Path = env.Folder() + "TAMO2.zip";
    MakeZip(library.Path, {{"TAMO2.bil", Pattern(100'000)}});
    TQEV_Layer theme;
    theme.Library = &library;
    theme.FileName = "TAMO2.bil";
    theme.LayerName = "Soils";
    theme.Bytes = 2;

    TMapExplorerForm form(host);
    form.resize(400, 300);
    form.show();
    EXPECT_FALSE(form.OpenTheme(&theme, 0, kWorldCols, 0, kWorldRows));
    EXPECT_EQ(form.ExtractedBytes, 100'000);
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Text, kRasterNotFoundMessage);
    EXPECT_TRUE(QDir(cache).entryList(QDir::Files).isEmpty());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible() && window->objectName() == "frmProgress");
}
