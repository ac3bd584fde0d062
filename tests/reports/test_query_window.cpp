// The query window: building the condition, running it on the fixture, clearing and closing.
#include "ReportFixture.h"
#include "TestSupport.h"
#include "db/DataAccess.h"
#include "query/QueryWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

TEST(InsertToken, CaretAtEndInsideAndSelection) {
    struct TCase {
        const char* Text;
        int Caret, SelectionStart, SelectionLength;
        const char* Token;
        const char* Expected;
        int ExpectedCaret;
    };
    const TCase cases[] = {
        {"", 0, 0, 0, "WRB2_CODE", " WRB2_CODE ", 11},
        {"A", 1, 1, 0, "=", "A = ", 4},             // at the end: between spaces
        {"A = ", 4, 4, 0, "\"", "A = \"", 5},       // the quote goes in bare
        {"A = \"x", 6, 6, 0, "\"", "A = \"x\"", 7}, // closing quote
        {"AB", 1, 1, 0, "=", "A=B", 2},             // inside: no spaces
        {"A and B or C and D", 0, 0, 0, "Not", "NotA and B or C and D", 3},
        {"A = 1 Or B = 2", 2, 2, 1, "<>", "A <>  1 Or B = 2", 5}, // selection replaced, one space after
        {"SMU > 5", 0, 0, 7, "X", "X ", 2},                       // everything selected
    };
    for (const TCase& c : cases) {
        const TConditionEdit result =
            InsertToken({c.Text, c.Caret, c.SelectionStart, c.SelectionLength}, c.Token);
        EXPECT_EQ(result.Text, c.Expected) << c.Text << " + " << c.Token;
        EXPECT_EQ(result.Caret, c.ExpectedCaret) << c.Text << " + " << c.Token;
        EXPECT_EQ(result.SelectionLength, 0);
    }
}

TEST(QueryText, TablesAndConditions) {
    EXPECT_EQ(QueryTableName(TQueryTable::Smu), "TAMO2_SMU");
    EXPECT_EQ(QueryTableName(TQueryTable::Layers), "TAMO2_LAYERS");
    EXPECT_EQ(QueryCondition(TQueryTable::Smu, "A = 1 Or B = 2"), "A = 1 Or B = 2");
    EXPECT_EQ(
        QueryCondition(TQueryTable::Layers, "A = 1 Or B = 2"),
        "rowid IN (SELECT rowid FROM TAMO2_LAYERS WHERE A = 1 Or B = 2) AND LAYER=\"D1\" AND SEQUENCE=1");
    EXPECT_EQ(StatementStart(TQueryTable::Layers),
              "Select * from TAMO2_LAYERS where LAYER='D1' and SEQUENCE=1 and");
    EXPECT_EQ(StandardColors().size(), 16u);
    EXPECT_STREQ(StandardColors()[9].Name, "Red");
}

class QueryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.Prefs.SQL = "TAMO2_SMU_ID = 3482";
        host.Prefs.SELECT_COLOR = 255;
        window = std::make_unique<TQueryWindow>(host);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get(), kWaitDeadlineMs));
    }
    // Run as the user does, then wait for the query to end (it runs apart from this thread).
    void Run() {
        QTest::mouseClick(window->btnRun, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->QueryRunning(); }, 20000));
    }
    QPushButton* Operator(const QString& caption) const {
        for (QPushButton* button : window->OperatorButtons)
            if (button->text() == caption)
                return button;
        ADD_FAILURE() << "no button " << caption.toStdString();
        return window->btnEqual;
    }
    void DoubleClickField(const QString& name) {
        const auto items = window->lstFields->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        window->lstFields->setCurrentItem(items[0]);
        const QRect rect = window->lstFields->visualItemRect(items[0]);
        // A double click is a press and release, then a second press that the system reports
        // as a double click.
        QTest::mouseClick(window->lstFields->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(window->lstFields->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void Type(const QString& text) {
        window->edtSQL->setFocus();
        QTest::keyClicks(window->edtSQL, text);
    }

    TScopedEnvironment env;
    TTestResponder responder;
    TReportDatabase db;
    TFakeReportHost host{*db.Tamo};
    std::unique_ptr<TQueryWindow> window;
};

TEST_F(QueryWindowTest, OpensWithTheStoredConditionAndColour) {
    EXPECT_EQ(window->edtSQL->text(), "TAMO2_SMU_ID = 3482");
    EXPECT_EQ(window->ColorBox->currentText(), "Blue"); // 255 read as 0x000000FF
    EXPECT_TRUE(window->RadioButton1->isChecked());
    EXPECT_EQ(window->lstFields->count(), 23);
    EXPECT_EQ(window->lstFields->item(9)->text(), "WRB2_CODE");
    EXPECT_EQ(window->Label1->text(), "Select * from TAMO2_SMU where");
    EXPECT_EQ(window->lblRecords->text(), "");
    EXPECT_EQ(window->btnEqual->toolTip(), "Equal");
    EXPECT_EQ(window->OperatorButtons.size(), 11u);
}

TEST_F(QueryWindowTest, ButtonsAndFieldsBuildTheCondition) {
    window->edtSQL->clear();
    DoubleClickField("WRB2_CODE");
    QTest::mouseClick(Operator(">="), Qt::LeftButton);
    Type("2900");
    QTest::mouseClick(Operator("And"), Qt::LeftButton);
    DoubleClickField("WRB2_CODE");
    QTest::mouseClick(Operator("<"), Qt::LeftButton);
    Type("3000");
    EXPECT_EQ(window->edtSQL->text(), " WRB2_CODE  >= 2900 And  WRB2_CODE  < 3000");
    EXPECT_TRUE(window->edtSQL->hasFocus());

    // A selection made before a button takes the focus is replaced.
    window->edtSQL->setSelection(12, 2); // ">="
    QTest::mouseClick(Operator("<>"), Qt::LeftButton);
    EXPECT_EQ(window->edtSQL->text(), " WRB2_CODE  <>  2900 And  WRB2_CODE  < 3000");
    EXPECT_EQ(window->edtSQL->cursorPosition(), 15);
    // The caret inside the text: no spaces added.
    window->edtSQL->setCursorPosition(1);
    QTest::mouseClick(Operator("Not"), Qt::LeftButton);
    EXPECT_TRUE(window->edtSQL->text().startsWith(" NotWRB2_CODE"));
    EXPECT_FALSE(window->edtSQL->hasSelectedText());

    // A double click that leaves no field chosen inserts nothing.
    const QString before = window->edtSQL->text();
    window->lstFields->clearSelection();
    window->lstFields->setCurrentItem(nullptr);
    emit window->lstFields->itemDoubleClicked(window->lstFields->item(0));
    EXPECT_EQ(window->edtSQL->text(), before);
}

TEST_F(QueryWindowTest, RunSelectsRedrawsAndRemembersTheCondition) {
    window->ColorBox->setFocus();
    window->ColorBox->setCurrentIndex(window->ColorBox->findText("Lime"));
    emit window->ColorBox->activated(window->ColorBox->currentIndex());
    EXPECT_EQ(static_cast<quint32>(host.Prefs.SELECT_COLOR), 0xFF00FF00u);

    window->edtSQL->setText("COVERAGE = 1");
    Run();
    EXPECT_EQ(window->lblRecords->text(), "2 units selected");
    EXPECT_EQ(window->lblRecords->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_TRUE(db.Tamo->SelectionActive());
    EXPECT_TRUE(db.Tamo->IsSelected(1));
    EXPECT_TRUE(db.Tamo->IsSelected(3));
    EXPECT_FALSE(db.Tamo->IsSelected(2));
    EXPECT_EQ(host.Redraws, 1);
    EXPECT_EQ(host.Prefs.SQL, "COVERAGE = 1");

    // No rows: the selection is active and empty.
    window->edtSQL->setText("COVERAGE = 7");
    Run();
    EXPECT_EQ(window->lblRecords->text(), "0 units selected");
    EXPECT_TRUE(db.Tamo->SelectionActive());
    EXPECT_FALSE(db.Tamo->IsSelected(1));
}

TEST_F(QueryWindowTest, LayerModeWithAQuotedText) {
    QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
    EXPECT_EQ(window->lstFields->count(), 47);
    EXPECT_EQ(window->edtSQL->text(), "");
    EXPECT_EQ(window->Label1->text(), "Select * from TAMO2_LAYERS where LAYER='D1' and SEQUENCE=1 and");
    DoubleClickField("WRB2_NAME");
    QTest::mouseClick(Operator("="), Qt::LeftButton);
    QTest::mouseClick(Operator("\""), Qt::LeftButton);
    Type("Eutric Cambisols");
    QTest::mouseClick(Operator("\""), Qt::LeftButton);
    EXPECT_EQ(window->edtSQL->text(), " WRB2_NAME  = \"Eutric Cambisols\"");
    Run();
    // Units 1 and 2 (one row each: the dominant soil's first layer); unit 3 has another name.
    EXPECT_EQ(window->lblRecords->text(), "2 units selected");
    EXPECT_TRUE(db.Tamo->IsSelected(2));
    EXPECT_FALSE(db.Tamo->IsSelected(3));
    EXPECT_EQ(host.Prefs.SQL, " WRB2_NAME  = \"Eutric Cambisols\"");

    // An "Or" stays inside the restriction: still one row per unit.
    window->edtSQL->setText("SHARE = 60 Or SHARE = 30");
    Run();
    EXPECT_EQ(window->lblRecords->text(), "3 units selected");
}

TEST_F(QueryWindowTest, ARejectedConditionChangesNothing) {
    window->edtSQL->setText("COVERAGE = 1");
    Run();
    ASSERT_EQ(window->lblRecords->text(), "2 units selected");
    window->edtSQL->setText("NO_SUCH_FIELD = 1");
    Run();
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_EQ(responder.Messages[0].Caption, "Error");
    EXPECT_TRUE(responder.Messages[0].Text.contains("NO_SUCH_FIELD"))
        << responder.Messages[0].Text.toStdString();
    EXPECT_EQ(window->lblRecords->text(), "2 units selected");
    EXPECT_EQ(host.Prefs.SQL, "COVERAGE = 1");
    EXPECT_EQ(host.Redraws, 1);
    // The selection drawn so far stays.
    EXPECT_TRUE(db.Tamo->IsSelected(1));
    // An empty condition fails the same way.
    window->edtSQL->clear();
    Run();
    EXPECT_EQ(responder.Messages.size(), 2u);
    EXPECT_EQ(host.Redraws, 1);
}

TEST_F(QueryWindowTest, ClearAndCloseEndTheHighlight) {
    window->edtSQL->setText("COVERAGE = 1");
    Run();
    QTest::mouseClick(window->btnClear, Qt::LeftButton);
    EXPECT_EQ(window->edtSQL->text(), "");
    EXPECT_TRUE(window->edtSQL->hasFocus());
    EXPECT_FALSE(db.Tamo->SelectionActive());
    EXPECT_EQ(host.Redraws, 1); // not redrawn by Clear

    window->edtSQL->setText("COVERAGE = 1");
    Run();
    EXPECT_EQ(host.Redraws, 2);
    QTest::mouseClick(window->btnClose, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(db.Tamo->SelectionActive());
    EXPECT_EQ(host.Redraws, 3);
    // Shown again as it was left; switching the table keeps the selection.
    window->show();
    EXPECT_EQ(window->edtSQL->text(), "COVERAGE = 1");
    Run();
    QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
    EXPECT_TRUE(db.Tamo->SelectionActive());
}

TEST_F(QueryWindowTest, HostileConditionsEndInAMessageAndLeaveTheSelectionAsItWas) {
    struct TCase {
        const char* Name;
        TQueryTable Table;
        QString Condition;
        QString Message; // a part of the message shown
    };
    const TCase cases[] = {
        // Closing the brackets of the layer restriction would select every layer row.
        {"bracket escape", TQueryTable::Layers, "1=1) OR (1=1", "syntax error"},
        {"comment eating the restriction", TQueryTable::Layers, "SHARE = 60 --", "cannot run the query"},
        {"second statement", TQueryTable::Smu, "1=1; DELETE FROM TAMO2_SMU", "more than one SQL statement"},
        {"write", TQueryTable::Smu, "1=1; DROP TABLE TAMO2_SMU", "more than one SQL statement"},
        {"memory", TQueryTable::Smu, "length(randomblob(999999999)) > 0", "more memory than the 512 MB"},
        {"empty", TQueryTable::Layers, "", "cannot run the query"},
    };
    window->edtSQL->setText("COVERAGE = 1");
    Run();
    ASSERT_EQ(window->lblRecords->text(), "2 units selected");
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        responder.Messages.clear();
        (test.Table == TQueryTable::Layers ? window->RadioButton2 : window->RadioButton1)->setChecked(true);
        window->edtSQL->setText(test.Condition);
        Run();
        ASSERT_EQ(responder.Messages.size(), 1u);
        EXPECT_EQ(responder.Messages[0].Caption, "Error");
        EXPECT_TRUE(responder.Messages[0].Text.contains(test.Message))
            << responder.Messages[0].Text.toStdString();
        EXPECT_EQ(window->lblRecords->text(), "2 units selected");
        EXPECT_TRUE(db.Tamo->IsSelected(1) && db.Tamo->IsSelected(3) && !db.Tamo->IsSelected(2));
        EXPECT_EQ(host.Prefs.SQL, "COVERAGE = 1");
    }
    EXPECT_EQ(ScalarSql(db.Path(), "select count(*) from TAMO2_SMU"), "4");
    EXPECT_EQ(host.Redraws, 1);
}

TEST_F(QueryWindowTest, ALongQueryLeavesTheWindowAliveAndCancelStopsIt) {
    window->edtSQL->setText(
        "TAMO2_SMU_ID IN (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
        "SELECT x FROM c WHERE x < 0)");
    QTest::mouseClick(window->btnRun, Qt::LeftButton);
    EXPECT_TRUE(window->QueryRunning());
    EXPECT_FALSE(window->btnRun->isEnabled());
    EXPECT_TRUE(window->btnCancel->isEnabled());
    // The event loop runs while the query works.
    bool ticked = false;
    QTimer::singleShot(10, [&] { ticked = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticked; }, kWaitDeadlineMs));
    EXPECT_TRUE(window->QueryRunning());

    QTest::mouseClick(window->btnCancel, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->QueryRunning(); }, kWaitDeadlineMs));
    EXPECT_TRUE(responder.Messages.empty());
    EXPECT_EQ(window->lblRecords->text(), "(query cancelled)");
    EXPECT_TRUE(window->btnRun->isEnabled());
    EXPECT_FALSE(window->btnCancel->isEnabled());
    EXPECT_EQ(host.Redraws, 0);
    EXPECT_EQ(host.Prefs.SQL, "TAMO2_SMU_ID = 3482");

    // The window goes on working.
    window->edtSQL->setText("COVERAGE = 1");
    Run();
    EXPECT_EQ(window->lblRecords->text(), "2 units selected");
}

TEST_F(QueryWindowTest, AQueryPastItsTimeLimitIsStoppedWithAMessage) {
    SetQueryTimeLimit(std::chrono::milliseconds(300));
    window->edtSQL->setText(
        "TAMO2_SMU_ID IN (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
        "SELECT x FROM c WHERE x < 0)");
    Run();
    SetQueryTimeLimit(std::chrono::seconds(60));
    ASSERT_EQ(responder.Messages.size(), 1u);
    EXPECT_TRUE(responder.Messages[0].Text.contains("took too long"))
        << responder.Messages[0].Text.toStdString();
}

TEST_F(QueryWindowTest, ALayerConditionComesBackInLayerModeWithTheWholeRestrictionShown) {
    QTest::mouseClick(window->RadioButton2, Qt::LeftButton);
    window->edtSQL->setText("SHARE = 60");
    Run();
    EXPECT_TRUE(host.Prefs.SQLLayers);
    EXPECT_EQ(host.Prefs.SQL, "SHARE = 60");

    window.reset();
    window = std::make_unique<TQueryWindow>(host);
    window->show();
    EXPECT_TRUE(window->RadioButton2->isChecked());
    EXPECT_EQ(window->lstFields->count(), 47);
    EXPECT_EQ(window->edtSQL->text(), "SHARE = 60");
    // The restriction is shown whole, above the condition and not under it.
    QLabel* label = window->Label1;
    EXPECT_EQ(label->text(), "Select * from TAMO2_LAYERS where LAYER='D1' and SEQUENCE=1 and");
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    EXPECT_LE(label->geometry().bottom(), window->edtSQL->y());
    Run();
    EXPECT_EQ(window->lblRecords->text(), "3 units selected");
}

TEST_F(QueryWindowTest, EveryButtonLiesWhollyInsideTheWindowAndOverlapsNoOther) {
    QList<QRect> rects;
    for (const QPushButton* button : window->findChildren<QPushButton*>())
        rects << QRect(button->mapTo(window.get(), QPoint(0, 0)), button->size());
    for (int i = 0; i < rects.size(); ++i) {
        EXPECT_TRUE(window->rect().contains(rects[i])) << i;
        for (int j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " and " << j;
    }
}

} // namespace
