#include "TamoFixture.h"
#include "TestSupport.h"
#include "db/AttributeImport.h"
#include "db/DataAccess.h"

#include <QFile>
#include <gtest/gtest.h>
#include <limits>

namespace {

class DataAccess : public ::testing::Test {
protected:
    void SetUp() override {
        ExecSql(Path(),
                {"CREATE TABLE T (Id INTEGER, Name TEXT, Share REAL, Note TEXT)",
                 "INSERT INTO T VALUES (1, 'one', 0.1, NULL)", "INSERT INTO T VALUES (2, 'two', 3.0, '')",
                 "INSERT INTO T VALUES (3, 'three', 1234567.25, ' x ')",
                 "INSERT INTO T VALUES (-4, 'four', -2.5e-9, '7')"});
    }
    QString Path() const { return m_folder.path() + "/data.db"; }
    QString Connection() const { return BuildConnectionString(Path()); }
    QTemporaryDir m_folder;
};

} // namespace

TEST_F(DataAccess, FindsThePathAndTellsTheFileKind) {
    EXPECT_EQ(DatabasePathOf(BuildConnectionString("/data/TAMO2.mdb")), "/data/TAMO2.mdb");
    EXPECT_EQ(DatabasePathOf("data source=/x/y.sqlite"), "/x/y.sqlite");
    EXPECT_EQ(DatabasePathOf(BuildConnectionString("/home/a;b/TAMO2.mdb")), "/home/a;b/TAMO2.mdb");
    EXPECT_THROW(DatabasePathOf("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False"), TAMOError);

    EXPECT_EQ(DetectDatabaseKind(Path()), TDatabaseKind::SQLite);
    EXPECT_EQ(DetectDatabaseKind(m_folder.path() + "/missing.db"), TDatabaseKind::Unknown);
    QFile text(m_folder.path() + "/TAMO2.mdb");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Standard Jet DB pretending, but only text");
    text.close();
    EXPECT_EQ(DetectDatabaseKind(text.fileName()), TDatabaseKind::Unknown);
    // The name does not matter, only the first bytes.
    QFile::remove(text.fileName());
    QFile::copy(Path(), text.fileName());
    EXPECT_EQ(DetectDatabaseKind(text.fileName()), TDatabaseKind::SQLite);

    EXPECT_EQ(DetectDatabaseKind(TestDataFile("nwind.mdb")), TDatabaseKind::Access);
    EXPECT_EQ(DetectDatabaseKind(TestDataFile("DateTestDatabase.mdb")), TDatabaseKind::Access);
}

TEST_F(DataAccess, ValuesReadAsTheDatabaseHoldsThem) {
    TDataSet query(Connection());
    query.Open("select * from T order by Id desc");
    EXPECT_EQ(query.RecordCount(), 4);
    QStringList rows;
    for (; !query.Eof(); query.Next())
        rows << query.AsString("ID") + "|" + query.AsString("name") + "|" + query.AsString(2) + "|" +
                    query.AsString("NOTE");
    EXPECT_EQ(rows, (QStringList{"3|three|1234567.25| x ", "2|two|3|", "1|one|0.1|", "-4|four|-2.5e-09|7"}));

    query.First();
    EXPECT_EQ(query.AsInteger("Id"), 3);
    EXPECT_EQ(query.FieldIndex("share"), 2);
    EXPECT_EQ(query.FieldIndex("nothing"), -1);
    EXPECT_THROW(query.AsString("nothing"), TDatabaseError);
    EXPECT_THROW(query.AsString(9), TDatabaseError);
    query.Close();
    EXPECT_THROW(query.AsString(0), TAMOError);
}

TEST_F(DataAccess, WalksRowsWithoutCountingAndStartsAgainAtFirst) {
    TDataSet query(Connection());
    query.Open("select Id from T where Id > 0 order by Id");
    QStringList ids;
    for (; !query.Eof(); query.Next())
        ids << query.AsString(0);
    EXPECT_EQ(ids, (QStringList{"1", "2", "3"}));
    query.First();
    ASSERT_FALSE(query.Eof());
    EXPECT_EQ(query.AsInteger(0), 1);

    // The query window's layer restriction writes its text value in double quotes.
    query.Open("select count(*) from T where Id > 0 and Name=\"two\"");
    EXPECT_EQ(query.AsInteger(0), 1);

    query.Open("select * from T where Id > 100");
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.RecordCount(), 0);
}

TEST_F(DataAccess, ErrorsCarryTheDatabaseMessage) {
    TDataSet query(Connection());
    try {
        query.Open("select * frm T");
        FAIL() << "no error";
    } catch (const TDatabaseError& error) {
        EXPECT_TRUE(error.Message().contains("syntax error")) << error.what();
    }
    try {
        query.Open("select * from WRB_Class");
        FAIL() << "no error";
    } catch (const TDatabaseError& error) {
        // Which file, what is wrong, then the database's own words.
        EXPECT_EQ(error.Message(),
                  "The attribute database \"" + DatabasePathOf(Connection()) +
                      "\" lacks a table or field that is asked for: no such table: WRB_Class");
    }
    TDataSet missing(BuildConnectionString(m_folder.path() + "/none.sqlite"));
    EXPECT_THROW(missing.Open("select 1"), TAMOError);
}

TEST_F(DataAccess, ADamagedDatabaseIsNamedAsDamaged) {
    const QString path = m_folder.path() + "/damaged.sqlite";
    QStringList rows{"CREATE TABLE Big (Id INTEGER, Text TEXT)"};
    for (int i = 0; i < 400; ++i)
        rows << QString("INSERT INTO Big VALUES (%1, '%2')").arg(i).arg(QString(200, QChar('a' + i % 26)));
    ExecSql(path, rows);
    // Scribble over the table's pages, keeping the header and the schema page.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), 8 * 4096);
    for (qint64 page = 2; page < 8; ++page) {
        file.seek(page * 4096);
        file.write(QByteArray(4096, '\x5a'));
    }
    file.close();
    try {
        TDataSet query(BuildConnectionString(path));
        for (query.Open("select * from Big"); !query.Eof(); query.Next())
            query.AsString(1);
        FAIL() << "no error";
    } catch (const TDatabaseError& error) {
        EXPECT_TRUE(error.Message().startsWith("The attribute database \"" + path + "\" is damaged: "))
            << error.what();
        EXPECT_TRUE(error.Message().contains("malformed")) << error.what();
    }
}

TEST_F(DataAccess, AQueryWithoutEndIsStopped) {
    SetQueryTimeLimit(std::chrono::milliseconds(300));
    TDataSet query(Connection());
    try {
        query.Open("select * from T where ID in "
                   "(with recursive c(x) as (select 1 union all select x + 1 from c) select x from c)");
        FAIL() << "no error";
    } catch (const TDatabaseError& error) {
        EXPECT_TRUE(error.Message().contains("took too long")) << error.what();
    }
    SetQueryTimeLimit(std::chrono::seconds(60));
    // The connection is usable afterwards.
    query.Open("select count(*) from T");
    EXPECT_EQ(query.AsInteger(0), 4);
}

TEST_F(DataAccess, NothingCanChangeTheDatabase) {
    TDataSet query(Connection());
    const QStringList attempts{"delete from T",
                               "select * from T where 1=1; drop table T",
                               "select * from T where 1=1; delete from T;",
                               "select 1; select 2",
                               "update T set Name = 'x'",
                               "attach database '" + m_folder.path() + "/other.db' as other",
                               "create table X (a)",
                               "select * from T where 1=1; syntax garbage"};
    for (const QString& sql : attempts) {
        EXPECT_THROW(query.Open(sql), TDatabaseError) << sql.toStdString();
    }
    EXPECT_EQ(ScalarSql(Path(), "select count(*) from T"), "4");
    EXPECT_EQ(ScalarSql(Path(), "select group_concat(Name) from T"), "one,two,three,four");
    EXPECT_FALSE(QFile::exists(m_folder.path() + "/other.db"));

    // A trailing ";" or comment is no second statement.
    query.Open("select count(*) from T; -- the end");
    EXPECT_EQ(query.AsInteger(0), 4);
}

TEST_F(DataAccess, AccessFileIsReadThroughItsImportedCopy) {
    TScopedEnvironment environment;
    const QString cache = environment.Folder() + "Cache/";
    const QString mdb = TestDataFile("nwind.mdb");
    TDataSet query(BuildConnectionString(mdb), cache);
    try {
        query.Open("select 1");
        FAIL() << "no error";
    } catch (const TAMOError& error) {
        EXPECT_TRUE(error.Message().contains("has not been imported")) << error.what();
    }
    QDir().mkpath(cache);
    ASSERT_TRUE(QFile::copy(Path(), CachedCopyPath(mdb, cache)));
    TDataSet copy(BuildConnectionString(mdb), cache);
    copy.Open("select count(*) from T");
    EXPECT_EQ(copy.AsInteger(0), 4);
}

TEST_F(DataAccess, BoundValuesAreComparedNeverRun) {
    TDataSet query(Connection());
    query.Open("select Name from T where Id = ? or Share = ? or Name = ? order by Id",
               {std::int64_t(2), 0.1, "four"});
    QStringList names;
    for (; !query.Eof(); query.Next())
        names << query.AsString(0);
    EXPECT_EQ(names, (QStringList{"four", "one", "two"}));
    // First runs the statement again with the same values.
    query.First();
    EXPECT_EQ(query.AsString(0), "four");

    // A value that reads like SQL is only a value.
    query.Open("select count(*) from T where Name = ?", {QString("x' or '1'='1")});
    EXPECT_EQ(query.AsInteger(0), 0);
    query.Open("select count(*) from T where Id = ?", {QString("1 or 1=1")});
    EXPECT_EQ(query.AsInteger(0), 0);

    // As many values as marks.
    EXPECT_THROW(query.Open("select * from T where Id = ?"), TDatabaseError);
    EXPECT_THROW(query.Open("select * from T where Id = ?", {std::int64_t(1), std::int64_t(2)}),
                 TDatabaseError);
    EXPECT_THROW(query.Open("select * from T", {std::int64_t(1)}), TDatabaseError);
}

TEST_F(DataAccess, NamesAreQuotedAsIdentifiers) {
    ExecSql(Path(),
            {"CREATE TABLE \"Texture Codes\" (Code INTEGER, Value TEXT)",
             "INSERT INTO \"Texture Codes\" VALUES (1, 'Coarse')", "CREATE TABLE \"Odd\"\"Name\" (a)"});
    EXPECT_EQ(SqlIdentifier("TAMO2_SMU"), "\"TAMO2_SMU\"");
    EXPECT_EQ(SqlIdentifier(" Texture Codes "), "\"Texture Codes\"");
    EXPECT_EQ(SqlIdentifier("Odd\"Name"), "\"Odd\"\"Name\"");

    TDataSet query(Connection());
    query.Open("select Value from " + SqlIdentifier("Texture Codes"));
    EXPECT_EQ(query.AsString(0), "Coarse");
    query.Open("select count(*) from " + SqlIdentifier("Odd\"Name"));
    EXPECT_EQ(query.AsInteger(0), 0);
    // A name that holds SQL names a table that does not exist.
    try {
        query.Open("select * from " + SqlIdentifier("T where 1=1 union select 1, 2, 3, 4 --"));
        FAIL() << "no error";
    } catch (const TDatabaseError& error) {
        EXPECT_TRUE(error.Message().contains("no such table: T where 1=1 union")) << error.what();
    }
}

// Values outside what the reader can return are errors, never wrapped or undefined numbers.
TEST_F(DataAccess, NumbersBeyondTheirTypeGiveClearErrors) {
    ExecSql(Path(), {"CREATE TABLE N (Label TEXT, V)",
                     "INSERT INTO N VALUES ('big', 3000000000), ('min', -2147483648), ('max', 2147483647),"
                     "('bigReal', 3.0e9), ('edgeReal', 2147483647.6), ('lowReal', -2147483648.4),"
                     "('inf', 1e999), ('minusInf', -1e999), ('nanText', 'nan'), ('infText', 'inf'),"
                     "('halfText', '2.5'), ('hugeText', '1e12'), ('word', 'abc')"});
    struct TCase {
        const char* Label;
        bool IntegerOk;
        int Integer;
        const char* Text;
    };
    const TCase cases[] = {
        {"big", false, 0, "3000000000"},
        {"min", true, -2147483647 - 1, "-2147483648"},
        {"max", true, 2147483647, "2147483647"},
        {"bigReal", false, 0, "3000000000"},
        {"edgeReal", false, 0, "2147483647.6"},
        {"lowReal", true, -2147483647 - 1, "-2147483648.4"},
        {"inf", false, 0, "Inf"},
        {"minusInf", false, 0, "-Inf"},
        {"nanText", false, 0, "nan"},
        {"infText", false, 0, "inf"},
        {"halfText", true, 3, "2.5"},
        {"hugeText", false, 0, "1e12"},
        {"word", false, 0, "abc"},
    };
    TDataSet query(Connection());
    for (const TCase& c : cases) {
        query.Open("select V from N where Label = ?", {QString(c.Label)});
        ASSERT_FALSE(query.Eof()) << c.Label;
        EXPECT_EQ(query.AsString(0), c.Text) << c.Label;
        if (c.IntegerOk)
            EXPECT_EQ(query.AsInteger(0), c.Integer) << c.Label;
        else
            EXPECT_THROW(query.AsInteger(0), TDatabaseError) << c.Label;
    }
    query.Open("select V from N where Label = 'nanText'");
    EXPECT_THROW(query.AsFloat("V"), TDatabaseError);
    EXPECT_FALSE(query.AsBoolean("V"));
    query.Open("select V from N where Label = 'inf'");
    EXPECT_EQ(query.AsFloat("V"), std::numeric_limits<double>::infinity());
}

TEST_F(DataAccess, TheConnectionRefusesWrites) {
    TDataSet query(Connection());
    query.Open("PRAGMA query_only");
    EXPECT_EQ(query.AsInteger(0), 1);
}
