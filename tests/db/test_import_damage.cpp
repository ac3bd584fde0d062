// The import program on Access files that lost pages, that make the reader loop or grow, and on
// an output path that is the input itself. Every damaged file is made here from the test database.

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TProgramRun RunImport(const QStringList& arguments) {
    return RunProgram(TAMO_MDB_IMPORT, arguments);
}

QByteArray Hash(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// The test database uses 2048-byte pages; the catalogue of objects fills pages 6 to 8 and 22.
constexpr int kPage = 2048;

class ImportDamage : public ::testing::Test {
protected:
    void SetUp() override {
        QFile source(TestDataFile("nwind.mdb"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        m_sound = source.readAll();
        ASSERT_EQ(m_sound.size() % kPage, 0);
    }
    QString Write(const QString& name, const QByteArray& bytes) const {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QByteArray WithZeroedPage(int page) const {
        QByteArray bytes = m_sound;
        bytes.replace(page * kPage, kPage, QByteArray(kPage, '\0'));
        return bytes;
    }
    // The first part of a memo chain points back at itself: the reader follows it without end,
    // growing as it goes.
    QByteArray WithEndlessMemoChain() const {
        QByteArray bytes = m_sound;
        const int page = 25;
        const quint32 self = quint32(page) << 8; // row 0 of the same page
        for (int b = 0; b < 4; ++b)
            bytes[page * kPage + 12 + b] = char((self >> (8 * b)) & 0xFF);
        return bytes;
    }
    void ExpectFailedWithoutOutput(const TProgramRun& run, const QString& out, const QString& words) const {
        EXPECT_EQ(run.ExitCode, 1) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains("error: ") && run.Err.contains(words)) << run.Err.toStdString();
        EXPECT_FALSE(run.Out.contains("done")) << run.Out.toStdString();
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(QFile::exists(out + ".part"));
    }

    QTemporaryDir m_folder;
    QByteArray m_sound;
};

} // namespace

TEST_F(ImportDamage, AFileThatLostPagesFailsInsteadOfKeepingSomeTables) {
    struct TCase {
        const char* Name;
        QByteArray Bytes;
    };
    const TCase cases[] = {
        {"cut-600.mdb", m_sound.left(600 * kPage)}, // four of the nine tables would be kept
        {"cut-1000.mdb", m_sound.left(1000 * kPage)}, {"cut-6.mdb", m_sound.left(6 * kPage)},
        {"catalogue-6.mdb", WithZeroedPage(6)},   // the catalogue would list no table
        {"catalogue-22.mdb", WithZeroedPage(22)}, // five of the nine tables would be kept
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString out = m_folder.filePath(QString(c.Name) + ".sqlite");
        ExpectFailedWithoutOutput(RunImport({Write(c.Name, c.Bytes), out}), out, "damaged");
    }
}

TEST_F(ImportDamage, AnOutputPathThatIsTheInputIsRefused) {
    const QString mdb = Write("a.mdb", m_sound);
    const QString part = Write("b.sqlite.part", m_sound);
    ASSERT_TRUE(QFile::link(mdb, m_folder.filePath("link.sqlite")));
    QDir().mkpath(m_folder.filePath("sub"));
    const QStringList outputs = {mdb, m_folder.filePath("sub/../a.mdb"), m_folder.filePath("link.sqlite")};
    for (const QString& out : outputs) {
        SCOPED_TRACE(out.toStdString());
        const TProgramRun run = RunImport({mdb, out});
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_TRUE(run.Err.contains("error: the output file is the Access file itself"))
            << run.Err.toStdString();
    }
    // The partial file written first would replace the input too.
    EXPECT_EQ(RunImport({part, m_folder.filePath("b.sqlite")}).ExitCode, 1);
    EXPECT_EQ(Hash(mdb), Hash(TestDataFile("nwind.mdb")));
    EXPECT_EQ(Hash(part), Hash(TestDataFile("nwind.mdb")));
    EXPECT_FALSE(QFile::exists(m_folder.filePath("b.sqlite")));
}

TEST_F(ImportDamage, AReaderCaughtInALoopIsEndedByTheNoProgressLimit) {
    const QString mdb = Write("loop.mdb", WithEndlessMemoChain());
    const QString out = m_folder.filePath("loop.sqlite");
    QElapsedTimer clock;
    clock.start();
    const TProgramRun run = RunImport({"--stall-seconds", "2", "--memory-limit-mb", "8000", mdb, out});
    ExpectFailedWithoutOutput(run, out, "made no progress for 2 seconds");
    EXPECT_LT(clock.elapsed(), 60000);
}

TEST_F(ImportDamage, AReaderThatGrowsWithoutEndMeetsTheMemoryLimit) {
    const QString mdb = Write("grow.mdb", WithEndlessMemoChain());
    const QString out = m_folder.filePath("grow.sqlite");
    const TProgramRun run = RunImport({"--stall-seconds", "600", "--memory-limit-mb", "400", mdb, out});
    ExpectFailedWithoutOutput(run, out, "the import ran out of memory (its limit is 400 MB)");
}

TEST_F(ImportDamage, TheReaderMayPrintOnlyAsManyLinesAsTheLimitAllows) {
    // Cut short on a page boundary: the reader complains about every page it cannot find.
    const QString mdb = Write("cut.mdb", m_sound.left(100 * 4096));
    const QString out = m_folder.filePath("cut.sqlite");
    const TProgramRun run = RunImport({"--reader-line-limit", "5", mdb, out});
    ExpectFailedWithoutOutput(run, out, "reports problems without end (more than 5 lines)");
    EXPECT_LE(run.Err.count('\n'), 6) << run.Err.toStdString();
}

TEST_F(ImportDamage, UsageErrorsAndASoundFileStillWork) {
    EXPECT_EQ(RunImport({"--stall-seconds", "0", "a.mdb", "b.sqlite"}).ExitCode, 2);
    EXPECT_EQ(RunImport({"--what", "a.mdb", "b.sqlite"}).ExitCode, 2);
    const QString out = m_folder.filePath("sound.sqlite");
    const TProgramRun run =
        RunImport({"--stall-seconds", "5", "--memory-limit-mb", "1000", TestDataFile("nwind.mdb"), out});
    EXPECT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.endsWith("done\n")) << run.Out.toStdString();
    EXPECT_TRUE(QFile::exists(out));
}
