// The SMU details window and the overview window, driven as a user would, on the fixture.
#include "ReportFixture.h"
#include "TestSupport.h"
#include "reports/SoilPropsForm.h"
#include "reports/TableForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

class ReportWindows : public ::testing::Test {
protected:
    void SetUp() override {
        host.Prefs.DomainView = true;
        table = std::make_unique<TTableForm>(host);
    }
    QString Cell(int row, int column) const {
        return table->StringGrid->model()->index(row, column).data().toString();
    }
    QStringList ComboItems() const {
        QStringList items;
        for (int i = 0; i < table->cmbSMUs->count(); ++i)
            items << table->cmbSMUs->itemText(i);
        return items;
    }
    TScopedEnvironment env;
    TTestResponder responder;
    TReportDatabase db;
    TFakeReportHost host{*db.Tamo};
    std::unique_ptr<TTableForm> table;
};

TEST_F(ReportWindows, ShowsTheUnitWithHeaderAndOneColumnPerComponent) {
    ASSERT_TRUE(table->ShowSMU(1, TAddToList::Yes));
    table->show();
    EXPECT_EQ(table->StringGrid->model()->columnCount(), 4);
    EXPECT_EQ(table->StringGrid->model()->rowCount(), 186);
    EXPECT_EQ(Cell(3, 1), "Eutric Cambisols (WRB)");
    EXPECT_EQ(table->lblCov->text(), "Good");
    EXPECT_EQ(table->lblWRB2->text(), "Eutric Cambisols (WRB) (CMeu)");
    EXPECT_EQ(table->StringGridHeader->item(0, 0)->text(), "Dominant Soil");
    EXPECT_EQ(table->StringGridHeader->item(0, 1)->text(), "Associated Soils and Inclusions");
    // The heading cells stand over grid column 1, and 2 onward.
    const QPoint gridColumn1 = table->StringGrid->viewport()->mapTo(
        table.get(), QPoint(table->StringGrid->columnViewportPosition(1), 0));
    const QPoint heading = table->StringGridHeader->mapTo(table.get(), QPoint(0, 0));
    EXPECT_EQ(heading.x(), gridColumn1.x());
    EXPECT_EQ(table->StringGridHeader->columnWidth(0), table->StringGrid->columnWidth(1));
}

TEST_F(ReportWindows, SeparatorRowsArePaintedInTheShadowColour) {
    ASSERT_TRUE(table->ShowSMU(1, TAddToList::Yes));
    table->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(table.get(), kWaitDeadlineMs));
    const QImage picture = table->StringGrid->viewport()->grab().toImage();
    const int y18 = table->StringGrid->rowViewportPosition(18) + 9;
    const int y19 = table->StringGrid->rowViewportPosition(19) + 9;
    const QColor shadow = table->StringGrid->palette().color(QPalette::Dark);
    const int x = table->StringGrid->columnViewportPosition(2) + 100; // no text there
    EXPECT_EQ(picture.pixelColor(x, y18).rgb(), shadow.rgb());
    EXPECT_NE(picture.pixelColor(x, y19).rgb(), shadow.rgb());
}

TEST_F(ReportWindows, DraggingTheLineBetweenColumnsResizesThem) {
    ASSERT_TRUE(table->ShowSMU(1, TAddToList::Yes));
    table->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(table.get(), kWaitDeadlineMs));
    QWidget* cells = table->StringGrid->viewport();
    const int before = table->StringGrid->columnWidth(1);
    const int line = table->StringGrid->columnViewportPosition(1) + before;
    QTest::mousePress(cells, Qt::LeftButton, {}, QPoint(line, 30));
    QMouseEvent move(QEvent::MouseMove, QPointF(line + 40, 30), cells->mapToGlobal(QPointF(line + 40, 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cells, &move);
    QTest::mouseRelease(cells, Qt::LeftButton, {}, QPoint(line + 40, 30));
    EXPECT_EQ(table->StringGrid->columnWidth(1), before + 40);
    // The heading above follows, and the width stays for the next unit and a wider window.
    EXPECT_EQ(table->StringGridHeader->columnWidth(0), before + 40);
    ASSERT_TRUE(table->ShowSMU(2, TAddToList::Yes));
    table->resize(table->width() + 100, table->height());
    EXPECT_EQ(table->StringGrid->columnWidth(1), before + 40);
}

TEST_F(ReportWindows, TheValueColumnsTakeTheFreeWidthAndTheCaptionsFitWithinAThird) {
    ASSERT_TRUE(table->ShowSMU(1, TAddToList::Yes));
    QAbstractItemModel& model = *table->StringGrid->model();
    const QFontMetrics metrics(table->StringGrid->font());
    int longest = 0;
    for (int row = 0; row < model.rowCount(); ++row)
        longest = std::max(longest, metrics.horizontalAdvance(model.index(row, 0).data().toString()));
    const auto columnsFillTheGrid = [&] {
        int sum = 0;
        for (int column = 0; column < model.columnCount(); ++column)
            sum += table->StringGrid->columnWidth(column);
        return sum;
    };

    // Wide: every caption whole, and no empty band right of the last value column.
    table->resize(1400, 700);
    table->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(table.get(), kWaitDeadlineMs));
    EXPECT_GT(table->StringGrid->columnWidth(0), longest);
    EXPECT_LE(table->StringGrid->columnWidth(0), table->width() / 3);
    EXPECT_NEAR(columnsFillTheGrid(), table->StringGrid->viewport()->width(), model.columnCount());
    for (int column = 2; column < model.columnCount(); ++column)
        EXPECT_EQ(table->StringGrid->columnWidth(column), table->StringGrid->columnWidth(1));

    // Narrow: the captions keep a third, the values their usual width; cut texts keep a tool tip.
    table->resize(450, 600);
    ASSERT_GT(longest, table->width() / 3);
    EXPECT_EQ(table->StringGrid->columnWidth(0), table->width() / 3);
    EXPECT_GE(table->StringGrid->columnWidth(1), 130);
    for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 0; column < model.columnCount(); ++column) {
            const QModelIndex cell = model.index(row, column);
            EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), cell.data().toString()) << row << "," << column;
        }
}

TEST_F(ReportWindows, SelectedUnitsAreListedOnce) {
    ASSERT_TRUE(table->ShowSMU(1, TAddToList::Yes));
    ASSERT_TRUE(table->ShowSMU(3, TAddToList::Yes));
    ASSERT_TRUE(table->ShowSMU(1, TAddToList::Yes));
    EXPECT_EQ(ComboItems(), QStringList({"1", "3"}));
    EXPECT_EQ(table->cmbSMUs->currentText(), "1");
    // Choosing unit 3 in the list shows it without adding it again.
    table->show();
    table->cmbSMUs->setFocus();
    QTest::keyClick(table->cmbSMUs, Qt::Key_Down);
    EXPECT_EQ(table->CurrentSmu(), 3);
    EXPECT_EQ(table->StringGrid->model()->columnCount(), 2);
    EXPECT_EQ(ComboItems(), QStringList({"1", "3"}));
}

TEST_F(ReportWindows, AUnitWithoutLayerRowsLeavesTheGridAsItWas) {
    ASSERT_TRUE(table->ShowSMU(1, TAddToList::Yes));
    EXPECT_FALSE(table->ShowSMU(4, TAddToList::Yes));
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Text, "No record found in TAMO database (TAMO2_SMU_ID=4).");
    EXPECT_EQ(responder.Messages[0].Caption, "Error");
    EXPECT_EQ(table->StringGrid->model()->columnCount(), 4);
    EXPECT_EQ(ComboItems(), QStringList({"1"}));
    EXPECT_EQ(table->CurrentSmu(), 4);
    // Domains still re-renders the unit shown.
    QTest::mouseClick(table->chkDomains, Qt::LeftButton, {}, QPoint(5, table->chkDomains->height() / 2));
    EXPECT_EQ(Cell(3, 1), "CMeu");
}

TEST_F(ReportWindows, DomainsTurnsCodesIntoTextsAndBack) {
    ASSERT_TRUE(table->ShowSMU(1, TAddToList::Yes));
    table->show();
    EXPECT_TRUE(table->chkDomains->isChecked());
    const QString label = Cell(3, 0);
    QTest::mouseClick(table->chkDomains, Qt::LeftButton, {}, QPoint(5, table->chkDomains->height() / 2));
    EXPECT_FALSE(host.Prefs.DomainView);
    EXPECT_EQ(Cell(3, 1), "CMeu");
    EXPECT_EQ(Cell(25, 1), "5");
    EXPECT_EQ(table->lblCov->text(), "1");
    EXPECT_EQ(Cell(3, 0), label);
    QTest::mouseClick(table->chkDomains, Qt::LeftButton, {}, QPoint(5, table->chkDomains->height() / 2));
    EXPECT_TRUE(host.Prefs.DomainView);
    EXPECT_EQ(Cell(25, 1), "Loam");
    // A new window starts from the preference.
    host.Prefs.DomainView = false;
    TTableForm second(host);
    EXPECT_FALSE(second.chkDomains->isChecked());
}

TEST_F(ReportWindows, SaveAsWritesTheTableAsCsv) {
    ASSERT_TRUE(table->ShowSMU(3, TAddToList::Yes));
    QTemporaryDir folder;
    responder.FileAnswers.push_back({folder.path() + "/unit3.txt"});
    QTest::mouseClick(table->btnCopy, Qt::LeftButton);
    ASSERT_EQ(responder.FileRequests.size(), 1u);
    EXPECT_EQ(responder.FileRequests[0].Filter, "CSV file|*.csv");
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Text, " TAMO2 SMU data saved as unit3.CSV.");
    EXPECT_EQ(responder.Messages[0].Caption, "Message");
    QFile written(folder.path() + "/unit3.CSV");
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QFile expected(QString(TAMO_TESTDATA_DIR) + "/reports/smu3_domains.csv");
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), expected.readAll());

    // A name ending in .csv is kept and overwritten.
    responder.FileAnswers.push_back({folder.path() + "/unit3.txt.csv"});
    QTest::mouseClick(table->btnCopy, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(folder.path() + "/unit3.txt.csv"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(ReportWindows, SaveAsAsksBeforeReplacingTheFileItWrites) {
    ASSERT_TRUE(table->ShowSMU(3, TAddToList::Yes));
    QTemporaryDir folder;
    const QString victim = folder.path() + "/victim.CSV";
    const auto writeVictim = [&] {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    };
    const auto victimText = [&] {
        QFile file(victim);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    struct {
        const char* Typed;
        QMessageBox::StandardButton Answer;
        bool Replaced;
    } cases[] = {{"victim", QMessageBox::No, false},
                 {"victim.txt", QMessageBox::No, false},
                 {"victim", QMessageBox::Yes, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        writeVictim();
        responder.Messages.clear();
        responder.FileAnswers.push_back({folder.path() + "/" + c.Typed});
        responder.MessageAnswers.push_back(c.Answer);
        QTest::mouseClick(table->btnCopy, Qt::LeftButton);
        ASSERT_GE(responder.Messages.size(), 1u);
        EXPECT_EQ(responder.Messages[0].Text, "victim.CSV already exists.\nDo you want to replace it?");
        EXPECT_EQ(responder.Messages[0].Caption, "Save As");
        EXPECT_EQ(victimText() != "keep me", c.Replaced);
        // Declined: nothing written, no success message.
        EXPECT_EQ(responder.Messages.size(), c.Replaced ? 2u : 1u);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"victim.CSV"});
    }
}

TEST_F(ReportWindows, AFailedExportShowsTheReasonAndNoSuccess) {
    ASSERT_TRUE(table->ShowSMU(3, TAddToList::Yes));
    QTemporaryDir folder;
    QFile blocker(folder.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    responder.FileAnswers.push_back({folder.path() + "/file/unit.csv"});
    QTest::mouseClick(table->btnCopy, Qt::LeftButton);
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Caption, "Error");
    EXPECT_TRUE(responder.Messages[0].Text.contains("unit.csv"));
    // Cancelled: nothing happens.
    QTest::mouseClick(table->btnCopy, Qt::LeftButton);
    EXPECT_EQ(responder.Messages.size(), 1u);
}

TEST_F(ReportWindows, HighlightSelectsTheUnitAndClosingEndsIt) {
    ASSERT_TRUE(table->ShowSMU(3, TAddToList::Yes));
    table->show();
    QTest::mouseClick(table->btnHighlight, Qt::LeftButton);
    EXPECT_TRUE(db.Tamo->SelectionActive());
    EXPECT_TRUE(db.Tamo->IsSelected(3));
    EXPECT_FALSE(db.Tamo->IsSelected(1));
    EXPECT_EQ(host.Redraws, 1);
    QTest::mouseClick(table->btnClose, Qt::LeftButton);
    EXPECT_FALSE(table->isVisible());
    EXPECT_FALSE(db.Tamo->SelectionActive());
    EXPECT_EQ(host.MarkerErases, 1);
    EXPECT_EQ(host.Redraws, 1); // the map is not redrawn on closing
    // The list of selected units stays with the hidden window.
    EXPECT_EQ(ComboItems(), QStringList({"3"}));
}

TEST_F(ReportWindows, PlacementIsKeptUnderItsName) {
    table->show();
    table->move(120, 90);
    table->resize(700, 600);
    table->close();
    TTableForm second(host);
    EXPECT_EQ(second.size(), QSize(700, 600));
}

TEST_F(ReportWindows, AStoredSizeOfZeroOrLessOpensTheWindowAtItsDesignSizeAndPlace) {
    const QSize designSize = table->size();
    const QPoint designPlace = table->pos();
    const QString key = QString(kFormsKey) + "\\" + table->objectName();
    for (const QSize stored : {QSize(0, 0), QSize(0, 600), QSize(700, -5), QSize(-2147483647 - 1, 600)}) {
        SCOPED_TRACE(QString("%1 x %2").arg(stored.width()).arg(stored.height()).toStdString());
        {
            TRegistry registry(TSettingsStore::Global());
            ASSERT_TRUE(registry.OpenKey(key, TKeyAccess::CreateIfMissing));
            registry.WriteInteger("Left", 0);
            registry.WriteInteger("Top", 0);
            registry.WriteBool("Maximized", false);
            registry.WriteInteger("Width", stored.width());
            registry.WriteInteger("Height", stored.height());
        }
        TTableForm window(host);
        EXPECT_EQ(window.size(), designSize);
        EXPECT_EQ(window.pos(), designPlace);
    }
}

// ---- Overview ----------------------------------------------------------------------------------

class OverviewWindow : public ReportWindows {
protected:
    void SetUp() override {
        ReportWindows::SetUp();
        overview = std::make_unique<TSoilPropsForm>(host);
    }
    std::unique_ptr<TSoilPropsForm> overview;
    QString Value(QTableWidget* grid, int row) const { return grid->item(row, 1)->text(); }
};

TEST_F(OverviewWindow, OneTabPerRecordAndTabEightIsTheSecondComponent) {
    ASSERT_TRUE(overview->ShowOverview(1));
    overview->show();
    EXPECT_EQ(overview->TabControl1->Count(), 21);
    EXPECT_EQ(overview->TabControl1->CurrentIndex(), 0);
    EXPECT_EQ(overview->PageControl->currentIndex(), 0);
    EXPECT_EQ(overview->PageControl->tabText(1), "Physco-Chemical properties");
    EXPECT_EQ(overview->PR_StringGrid1->item(0, 1)->text(), "Topsoil");
    EXPECT_EQ(overview->PR_StringGrid2->item(0, 1)->text(), "Subsoil");
    EXPECT_EQ(overview->GE_StringGrid1->item(6, 0)->text(), "SEQUENCE");
    EXPECT_EQ(Value(overview->GE_StringGrid1, 6), "1");

    auto tabs = overview->TabControl1->findChildren<QToolButton*>();
    ASSERT_EQ(tabs.size(), 21);
    QToolButton* tab8 = nullptr;
    for (QToolButton* tab : tabs)
        if (tab->text() == "8")
            tab8 = tab;
    ASSERT_NE(tab8, nullptr);
    QTest::mouseClick(tab8, Qt::LeftButton);
    EXPECT_EQ(overview->TabControl1->CurrentIndex(), 7);
    EXPECT_EQ(Value(overview->GE_StringGrid1, 6), "2");                    // SEQUENCE
    EXPECT_EQ(Value(overview->GE_StringGrid2, 11), "Depth layer 0-20 cm"); // LAYER D1
    EXPECT_EQ(Value(overview->GE_StringGrid1, 7), "30");                   // SHARE
    // Every tab is on the screen, inside the window.
    for (QToolButton* tab : tabs)
        EXPECT_TRUE(overview->rect().contains(
            tab->geometry().translated(tab->mapTo(overview.get(), QPoint(0, 0)) - tab->pos())));
    // Rows of the second properties grid beyond the record stay empty.
    for (int row = 6; row < 17; ++row)
        EXPECT_EQ(Value(overview->PR_StringGrid2, row), "");

    // Domains re-renders the selected record and updates the shared preference.
    QTest::mouseClick(overview->chkDomains, Qt::LeftButton, {},
                      QPoint(5, overview->chkDomains->height() / 2));
    EXPECT_EQ(Value(overview->GE_StringGrid2, 11), "D1");
    EXPECT_FALSE(host.Prefs.DomainView);
}

TEST_F(OverviewWindow, TheSeaShowsOneTabOfDashesAndAMissingUnitChangesNothing) {
    ASSERT_TRUE(overview->ShowOverview(0));
    EXPECT_EQ(overview->TabControl1->Count(), 1);
    EXPECT_EQ(Value(overview->GE_StringGrid1, 1), "-");
    EXPECT_EQ(Value(overview->PR_StringGrid2, 5), "-");
    ASSERT_TRUE(overview->ShowOverview(3));
    EXPECT_FALSE(overview->ShowOverview(4));
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Text, "No record found in TAMO database (TAMO2_SMU_ID=4).");
    EXPECT_EQ(overview->TabControl1->Count(), 7);
    EXPECT_EQ(Value(overview->GE_StringGrid1, 1), "3");
    overview->show();
    QTest::keyClick(overview.get(), Qt::Key_Escape);
    EXPECT_FALSE(overview->isVisible());
    EXPECT_EQ(host.MarkerErases, 1);
}

} // namespace
