// One soil database read from the SQLite file it was made from and from its Access copy (both in
// tests/data): the details window, its CSV export and the overview show the same texts.
#include "ReportFixture.h"
#include "TestSupport.h"
#include "db/AttributeImport.h"
#include "reports/SoilPropsForm.h"
#include "reports/TableForm.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

// Everything the two windows show of a unit, and the CSV file, with Domains ticked and not.
QStringList WindowTexts(TReportHost& host, int unit, TTestResponder& responder, const QString& folder) {
    QStringList texts;
    for (const bool domains : {true, false}) {
        host.Preferences().DomainView = domains;
        TTableForm table(host);
        if (!table.ShowSMU(unit, TAddToList::Yes)) {
            ADD_FAILURE() << "unit " << unit;
            return texts;
        }
        texts << table.lblCov->text() << table.lblmu_glob->text() << table.lblWRB2->text()
              << table.lblOXU90->text();
        const QAbstractItemModel& grid = *table.StringGrid->model();
        for (int row = 0; row < grid.rowCount(); ++row)
            for (int column = 0; column < grid.columnCount(); ++column)
                texts << grid.index(row, column).data().toString();
        const QString csv = folder + QString("/unit%1.csv").arg(unit);
        QFile::remove(csv);
        responder.FileAnswers.push_back({csv});
        QTest::mouseClick(table.btnCopy, Qt::LeftButton);
        QFile written(csv);
        EXPECT_TRUE(written.open(QIODevice::ReadOnly)) << csv.toStdString();
        texts << QString::fromUtf8(written.readAll());

        TSoilPropsForm overview(host);
        EXPECT_TRUE(overview.ShowOverview(unit));
        for (int record = 1; record <= overview.TabControl1->Count(); ++record) {
            overview.FillRecord(record);
            for (QTableWidget* values : {overview.GE_StringGrid1, overview.GE_StringGrid2,
                                         overview.PR_StringGrid1, overview.PR_StringGrid2})
                for (int row = 1; row < values->rowCount(); ++row)
                    texts << (values->item(row, 1) ? values->item(row, 1)->text() : QString());
        }
    }
    return texts;
}

} // namespace

TEST(AccessSource, TheWindowsShowTheSameTextsAsForTheSqliteFileItWasMadeFrom) {
    TScopedEnvironment env;
    TTestResponder responder;
    const QString cache = env.Folder() + "Cache/";
    QDir().mkpath(cache);
    const QString sqlite = env.Folder() + "TAMO2.sqlite";
    ExecSqlFile(sqlite, TestDataFile("access-numbers.sql"));
    const QString mdb = env.Folder() + "TAMO2.mdb";
    ASSERT_TRUE(QFile::copy(TestDataFile("access-numbers.mdb"), mdb));
    TImportOptions options;
    options.ImporterProgram = TAMO_MDB_IMPORT;
    options.CacheFolder = cache;
    ASSERT_NO_THROW(ImportAttributeDatabase(BuildConnectionString(mdb), options));

    TTAMO fromSqlite(BuildConnectionString(sqlite));
    TTAMO fromAccess(BuildConnectionString(mdb), cache);
    TFakeReportHost sqliteHost(fromSqlite), accessHost(fromAccess);
    for (const int unit : {1, 2}) {
        SCOPED_TRACE(unit);
        const QStringList expected = WindowTexts(sqliteHost, unit, responder, env.Folder());
        const QStringList shown = WindowTexts(accessHost, unit, responder, env.Folder());
        ASSERT_EQ(shown.size(), expected.size());
        for (qsizetype i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i], expected[i]) << "text " << i;
    }

    // What both show: missing values (-9) as "N.A", whole numbers without a fraction, empty and
    // NULL texts as "-".
    accessHost.Prefs.DomainView = false;
    TTableForm table(accessHost);
    ASSERT_TRUE(table.ShowSMU(1, TAddToList::Yes));
    const auto cell = [&](int row, int column) {
        return table.StringGrid->model()->index(row, column).data().toString();
    };
    EXPECT_EQ(table.lblmu_glob->text(), "1");
    EXPECT_EQ(cell(1, 1), "60");  // share, a whole Double
    EXPECT_EQ(cell(2, 1), "1");   // the unit, a whole Double in a text row
    EXPECT_EQ(cell(9, 1), "N.A"); // rooting depth
    EXPECT_EQ(cell(4, 1), "Eutric Cambisols");
    EXPECT_EQ(cell(4, 2), "-");    // empty text
    EXPECT_EQ(cell(4, 3), "-");    // NULL
    EXPECT_EQ(cell(27, 1), "N.A"); // organic carbon, one decimal
    EXPECT_EQ(cell(26, 1), "1.0"); // bulk density 1
    EXPECT_EQ(cell(31, 1), "26");
    EXPECT_EQ(cell(34, 1), "0"); // -0.4
}
