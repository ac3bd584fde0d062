#include "TamoFixture.h"
#include "TestSupport.h"
#include "db/AttributeImport.h"
#include "db/DataAccess.h"
#include "db/PrepareDatabase.h"
#include "themes/QEVLibraryManager.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QByteArray FileHash(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Rows of the CSV that mdb-export prints (quoted fields may hold line breaks).
QList<QStringList> ParseCsv(const QString& text) {
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            row << field;
            field.clear();
        } else if (c == '\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            wasQuoted = false;
        } else if (c != '\r' || wasQuoted) {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return rows;
}

// Every row of `table` in the copy equals what mdb-export prints (numbers compared as numbers).
void ExpectSameRows(const QString& mdb, const QString& copy, const QString& table, const QString& orderBy) {
    const TProgramRun exported =
        RunProgram("mdb-export", {"-D", "%Y-%m-%d", "-T", "%Y-%m-%d %H:%M:%S", mdb, table});
    ASSERT_EQ(exported.ExitCode, 0) << exported.Err.toStdString();
    QList<QStringList> expected = ParseCsv(exported.Out);
    ASSERT_FALSE(expected.isEmpty());
    const QStringList header = expected.takeFirst();
    std::sort(expected.begin(), expected.end(), [](const QStringList& a, const QStringList& b) {
        return a[0].toLongLong() < b[0].toLongLong();
    });
    TDataSet query(BuildConnectionString(copy));
    query.Open("select * from \"" + table + "\" order by " + orderBy);
    ASSERT_EQ(query.FieldCount(), header.size());
    int row = 0;
    for (; !query.Eof(); query.Next(), ++row) {
        ASSERT_LT(row, expected.size());
        for (int column = 0; column < header.size(); ++column) {
            const QString want = expected[row].value(column);
            const QString got = query.AsString(column);
            bool wantIsNumber = false;
            bool gotIsNumber = false;
            const double wantNumber = want.toDouble(&wantIsNumber);
            const double gotNumber = got.toDouble(&gotIsNumber);
            if (wantIsNumber && gotIsNumber)
                EXPECT_NEAR(gotNumber, wantNumber, 1e-6 * std::max(1.0, std::fabs(wantNumber)))
                    << table.toStdString() << " row " << row << " " << header[column].toStdString();
            else
                EXPECT_EQ(got, want) << table.toStdString() << " row " << row << " "
                                     << header[column].toStdString();
        }
    }
    EXPECT_EQ(row, expected.size());
}

class MdbImport : public ::testing::Test {
protected:
    QString Out(const QString& name) const { return m_folder.path() + "/" + name; }
    QTemporaryDir m_folder;
};

} // namespace

TEST_F(MdbImport, CopiesEveryTableWithTheRowCountsOfTheAccessFile) {
    for (const QString name : {"nwind.mdb", "DateTestDatabase.mdb"}) {
        const QString mdb = TestDataFile(name);
        const QByteArray before = FileHash(mdb);
        const QString copy = Out(name + ".sqlite");
        const TProgramRun run = RunProgram(TAMO_MDB_IMPORT, {mdb, copy});
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
        EXPECT_TRUE(run.Out.contains("progress ")) << run.Out.toStdString();
        EXPECT_FALSE(QFile::exists(copy + ".part"));
        EXPECT_EQ(FileHash(mdb), before) << "the Access file is never changed";

        const QStringList tables = RunProgram("mdb-tables", {"-1", mdb}).Out.split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(tables.isEmpty());
        TDataSet query(BuildConnectionString(copy));
        query.Open("select count(*) from sqlite_master where type = 'table'");
        EXPECT_EQ(query.AsInteger(0), tables.size());
        for (const QString& table : tables) {
            const QString count = RunProgram("mdb-count", {mdb, table}).Out.trimmed();
            query.Open("select count(*) from \"" + table + "\"");
            EXPECT_EQ(query.AsString(0), count) << name.toStdString() << " " << table.toStdString();
        }
    }
}

TEST_F(MdbImport, ValuesEqualWhatTheReferenceReaderPrints) {
    const QString nwind = Out("nwind.sqlite");
    const QString dates = Out("dates.sqlite");
    ASSERT_EQ(RunProgram(TAMO_MDB_IMPORT, {TestDataFile("nwind.mdb"), nwind}).ExitCode, 0);
    ASSERT_EQ(RunProgram(TAMO_MDB_IMPORT, {TestDataFile("DateTestDatabase.mdb"), dates}).ExitCode, 0);
    ExpectSameRows(TestDataFile("nwind.mdb"), nwind, "Orders", "OrderID");
    ExpectSameRows(TestDataFile("nwind.mdb"), nwind, "Products", "ProductID");
    ExpectSameRows(TestDataFile("nwind.mdb"), nwind, "Shippers", "ShipperID");
    ExpectSameRows(TestDataFile("DateTestDatabase.mdb"), dates, "DateTest", "IDCol");

    // Column types, and text compared without regard to case as Access does.
    TDataSet query(BuildConnectionString(nwind));
    query.Open(
        "select typeof(OrderID), typeof(Freight), typeof(OrderDate), typeof(ShipName) from Orders limit 1");
    EXPECT_EQ(query.AsString(0) + query.AsString(1) + query.AsString(2) + query.AsString(3),
              "integerrealtexttext");
    query.Open("select count(*) from Customers where Country = 'usa'");
    const int lower = query.AsInteger(0);
    query.Open("select count(*) from Customers where Country = 'USA'");
    EXPECT_EQ(lower, query.AsInteger(0));
    EXPECT_GT(lower, 0);
    query.Open("select count(*) from Products where Discontinued not in (0, 1)");
    EXPECT_EQ(query.AsInteger(0), 0) << "Yes/No columns hold 0 or 1";
}

// The Access file of tests/data was made from the SQLite file of the same name, where measured
// values are NUMERIC (Doubles in Access). The copy holds every value as the source did: whole
// numbers as integers (-9, not -9.0), fractions exactly (80.6, which the reader prints as
// 80.59999999999999), texts unchanged except an empty one, which comes back as NULL.
TEST_F(MdbImport, NumbersComeBackAsTheSqliteSourceHeldThem) {
    const QString source = Out("source.sqlite");
    ExecSqlFile(source, TestDataFile("access-numbers.sql"));
    const QString copy = Out("copy.sqlite");
    const TProgramRun run = RunProgram(TAMO_MDB_IMPORT, {TestDataFile("access-numbers.mdb"), copy});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    TSqliteFile db(copy);
    ASSERT_TRUE(db.Exec("ATTACH DATABASE '" + source + "' AS source")) << db.Error().toStdString();
    QStringList tables;
    for (const QStringList& row : db.Rows("select name from source.sqlite_master where type = 'table'"))
        tables << row[0];
    EXPECT_EQ(tables.size(), 14);
    for (const QString& table : tables) {
        const auto columns = db.Rows("select name from pragma_table_info('" + table + "', 'source')");
        ASSERT_FALSE(columns.empty()) << table.toStdString() << ": " << db.Error().toStdString();
        for (const QStringList& row : columns) {
            const QString column = "\"" + row[0] + "\"";
            const QString wanted = "nullif(s." + column + ", '')";
            const auto differing =
                db.Rows(QString("select count(*), (select count(*) from source.%1) from %1 c join "
                                "source.%1 s on c.rowid = s.rowid where not (c.%2 is %3 and "
                                "typeof(c.%2) = typeof(%3))")
                            .arg(table, column, wanted));
            ASSERT_EQ(differing.size(), 1u) << db.Error().toStdString();
            EXPECT_EQ(differing[0][0].toInt(), 0) << table.toStdString() << "." << column.toStdString();
            EXPECT_GT(differing[0][1].toInt(), 0) << table.toStdString();
        }
    }
    EXPECT_EQ(db.Scalar("select count(*) from TAMO2_LAYERS where OC_STOCK = 80.6"), "28");
}

TEST_F(MdbImport, DamagedFilesFailClearlyAndLeaveNoOutput) {
    QFile source(TestDataFile("nwind.mdb"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray intact = source.readAll();

    struct TDamage {
        const char* Name;
        QByteArray Bytes;
        const char* Message;
    };
    QByteArray catalogFlipped = intact;
    for (int offset = 4096 + 16; offset < 2 * 4096; offset += 3)
        catalogFlipped[offset] = static_cast<char>(catalogFlipped[offset] ^ 0xFF);
    QByteArray rowsFlipped = intact;
    for (int offset = 40 * 4096 + 16; offset < 41 * 4096; offset += 3)
        rowsFlipped[offset] = static_cast<char>(rowsFlipped[offset] ^ 0xFF);
    QByteArray signatureFlipped = intact;
    signatureFlipped[6] = 'X';
    const TDamage damages[] = {
        {"cut.mdb", intact.left(1000000), "cut short"},
        {"cut-at-page.mdb", intact.left(256 * 4096), "damaged"},
        {"catalog.mdb", catalogFlipped, "damaged"},
        {"rows.mdb", rowsFlipped, "damaged"},
        {"signature.mdb", signatureFlipped, "not an Access database"},
        {"empty.mdb", QByteArray(), "too short"},
    };
    for (const TDamage& damage : damages) {
        const QString mdb = Out(damage.Name);
        QFile file(mdb);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damage.Bytes);
        file.close();
        const QString copy = Out(QString(damage.Name) + ".sqlite");
        const TProgramRun run = RunProgram(TAMO_MDB_IMPORT, {mdb, copy});
        EXPECT_EQ(run.ExitCode, 1) << damage.Name;
        EXPECT_TRUE(run.Err.contains("error: ") && run.Err.contains(damage.Message))
            << damage.Name << ": " << run.Err.toStdString();
        EXPECT_FALSE(QFile::exists(copy)) << damage.Name;
        EXPECT_FALSE(QFile::exists(copy + ".part")) << damage.Name;
    }
    EXPECT_NE(RunProgram(TAMO_MDB_IMPORT, {Out("missing.mdb"), Out("missing.sqlite")}).ExitCode, 0);
    EXPECT_EQ(RunProgram(TAMO_MDB_IMPORT, {}).ExitCode, 2);
}

TEST(MdbImportCommandLine, AnswersHelpAndVersionAndRefusesWrongArguments) {
    ExpectTheStandardCommandLine(TAMO_MDB_IMPORT, "tamo-mdb-import");
    const struct {
        QStringList Arguments;
        const char* Said;
    } wrong[] = {{{"--stall-seconds"}, "Missing value after '--stall-seconds'"},
                 {{"--memory-limit-mb", "lots", "a.mdb", "b.sqlite"},
                  "'--memory-limit-mb' needs a positive whole number"},
                 {{"only-one.mdb"}, "Give the Access file and the SQLite file"}};
    for (const auto& c : wrong) {
        const TProgramRun run = RunProgram(TAMO_MDB_IMPORT, c.Arguments);
        EXPECT_EQ(run.ExitCode, 2) << c.Said;
        EXPECT_TRUE(run.Err.contains(c.Said)) << run.Err.toStdString();
    }
}

// The viewer's side: the cached copy, the watched process and the progress window.
class ViewerImport : public ::testing::Test {
protected:
    void SetUp() override {
        m_mdb = m_environment.Folder() + "Data/TAMO2.mdb";
        QDir().mkpath(m_environment.Folder() + "Data");
    }
    QString Cache() const { return m_environment.Folder() + "Cache/"; }
    QString Connection() const { return BuildConnectionString(m_mdb); }
    QStringList CacheFiles() const { return QDir(Cache()).entryList(QDir::Files); }
    // The test database is not a soil database: the copy is checked for two of its own tables.
    TImportOptions Options() const {
        TImportOptions options;
        options.CacheFolder = Cache();
        options.ImporterProgram = TAMO_MDB_IMPORT;
        options.RequiredTables = {"Orders", "customers"};
        return options;
    }
    // Options whose import program is a shell script standing in for a misbehaving importer.
    TImportOptions FakeImporter(const QString& name, const QByteArray& script) const {
        const QString path = m_environment.Folder() + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        TImportOptions options;
        options.CacheFolder = Cache();
        options.ImporterProgram = path;
        return options;
    }

    TScopedEnvironment m_environment;
    TTestResponder m_responder;
    QString m_mdb;
};

TEST_F(ViewerImport, ImportsOnceAndAgainWhenTheAccessFileChanges) {
    ASSERT_TRUE(QFile::copy(TestDataFile("nwind.mdb"), m_mdb));
    QFile::setPermissions(m_mdb, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_TRUE(ImportNeeded(Connection(), Cache()));
    int reports = 0;
    ImportAttributeDatabase(Connection(), Options(), [&](const TImportProgress& progress) {
        ++reports;
        EXPECT_LE(progress.RowsDone, progress.RowsTotal);
        return true;
    });
    EXPECT_GT(reports, 0);
    EXPECT_FALSE(ImportNeeded(Connection(), Cache(), Options().RequiredTables));
    EXPECT_EQ(CacheFiles(), QStringList{QFileInfo(CachedCopyPath(m_mdb, Cache())).fileName()});
    {
        TDataSet query(Connection(), Cache());
        query.Open("select count(*) from Orders");
        EXPECT_EQ(query.AsInteger(0), 830);
    }

    // A changed file gets a new copy; the old one goes.
    QFile file(m_mdb);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_TRUE(ImportNeeded(Connection(), Cache()));
    ImportAttributeDatabase(Connection(), Options());
    EXPECT_EQ(CacheFiles(), QStringList{QFileInfo(CachedCopyPath(m_mdb, Cache())).fileName()});

    // A SQLite file needs no import.
    TSoilDatabase sqlite;
    EXPECT_FALSE(ImportNeeded(sqlite.ConnectionString(), Cache()));
}

TEST_F(ViewerImport, AStalledImportIsStoppedAndReportedAsDamaged) {
    WriteAccessStub(m_mdb);
    ASSERT_TRUE(ImportNeeded(Connection(), Cache()));
    // Stands in for a reader caught in a loop: one progress line, then chatter that is no progress.
    TImportOptions options =
        FakeImporter("stalling-import", "echo 'tables 1 rows 10'\n: > \"$2.part\"\n"
                                        "while true; do echo 'page 0x1a2b dump'; sleep 0.1; done\n");
    options.StallTimeout = std::chrono::milliseconds(1000);
    QElapsedTimer clock;
    clock.start();
    try {
        ImportAttributeDatabase(Connection(), options);
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().contains("damaged")) << error.what();
    }
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_TRUE(CacheFiles().isEmpty()) << CacheFiles().join(", ").toStdString();
    EXPECT_TRUE(ImportNeeded(Connection(), Cache()));
}

TEST_F(ViewerImport, CancelStopsAnImportThatPrintsNothing) {
    WriteAccessStub(m_mdb);
    ASSERT_TRUE(ImportNeeded(Connection(), Cache()));
    const TImportOptions options = FakeImporter("silent-import", "exec sleep 60\n");
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(ImportAttributeDatabase(Connection(), options, [](const TImportProgress&) { return false; }),
                 TAMOError);
    EXPECT_LT(clock.elapsed(), 5000); // not the 30 s of the stall watch
    EXPECT_TRUE(ImportNeeded(Connection(), Cache()));
}

TEST_F(ViewerImport, FailuresComeBackWithTheImportMessage) {
    QFile source(TestDataFile("nwind.mdb"));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QFile damaged(m_mdb);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(source.read(1000000));
    damaged.close();
    try {
        ImportAttributeDatabase(Connection(), Options());
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().contains("cannot be imported")) << error.what();
        EXPECT_TRUE(error.Message().contains("cut short")) << error.what();
    }
    EXPECT_TRUE(CacheFiles().isEmpty());

    TImportOptions missing = Options();
    missing.ImporterProgram = m_environment.Folder() + "no-such-program";
    EXPECT_THROW(ImportAttributeDatabase(Connection(), missing), TAMOError);
}

TEST_F(ViewerImport, StartUpImportShowsItsProgressWindowThenKeepsNoCopyWithoutTheSoilTables) {
    ASSERT_TRUE(QFile::copy(TestDataFile("nwind.mdb"), m_mdb));
    QString shownLabel;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<QProgressDialog*>(widget); window && window->isVisible())
                shownLabel = window->labelText();
    });
    watcher.start(1);
    // The Access file imports cleanly but holds none of the tables the viewer reads: the copy is
    // not kept and the message names the file.
    try {
        PrepareAttributeDatabase(nullptr, Connection(), Cache(), TAMO_MDB_IMPORT);
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_EQ(error.Message(), "The attribute database \"" + m_mdb +
                                       "\" is damaged or is not a soil database: it lacks the tables "
                                       "TAMO2_SMU, TAMO2_LAYERS, TAMO2_SMU_METADATA, TAMO2_LAYERS_METADATA, "
                                       "WRB_Library, WRB_Layer, WRB_Class.");
    }
    watcher.stop();
    EXPECT_TRUE(shownLabel.startsWith("Importing attribute database ...")) << shownLabel.toStdString();
    EXPECT_TRUE(CacheFiles().isEmpty()) << CacheFiles().join(", ").toStdString();
    EXPECT_TRUE(ImportNeeded(Connection(), Cache()));
}

TEST_F(ViewerImport, ACopyKeptWithoutTheRequiredTablesIsMadeAgain) {
    ASSERT_TRUE(QFile::copy(TestDataFile("nwind.mdb"), m_mdb));
    // What an earlier import kept of a damaged file: a copy with one table.
    QDir().mkpath(Cache());
    ExecSql(CachedCopyPath(m_mdb, Cache()), {"CREATE TABLE Shippers (ShipperID INTEGER)"});
    EXPECT_TRUE(ImportNeeded(Connection(), Cache(), Options().RequiredTables));
    ImportAttributeDatabase(Connection(), Options());
    EXPECT_FALSE(ImportNeeded(Connection(), Cache(), Options().RequiredTables));
    TDataSet query(Connection(), Cache());
    query.Open("select count(*) from Orders");
    EXPECT_EQ(query.AsInteger(0), 830);
}
