// The classification dialog on a legend model, driven by its controls.
#include "TestSupport.h"
#include "classify/ColorForm.h"
#include "classify/frmClassification.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class TCountingMap : public TClassificationTarget {
public:
    int Redraws = 0;
    void Redraw() override { ++Redraws; }
};

class ClassificationDialogTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TTestResponder Responder;
    TQEV_Class Classes;
    TQEV_Layer Theme;
    std::unique_ptr<TQEVmanager> Legend;
    TCountingMap Map;
    std::unique_ptr<TfrmClassification> Dialog;

    void SetUp() override {
        Theme.LayerName = "Reference soil groups";
        Classes.ClassCount = 3;
        for (int i = 0; i < 3; ++i) {
            Classes.Dividers[i] = 1000.0 * (i + 1);
            Classes.Labels[i] = QString("group %1").arg(i + 1);
        }
        Legend = std::make_unique<TQEVmanager>(nullptr, QString());
        Legend->Theme = &Theme;
        Legend->RangeMin = 0;
        Legend->RangeMax = 32000;
        TClassFields classes = Legend->Classes();
        classes.NumClasses = 4;
        classes.Visible.fill(true);
        Legend->SetClasses(classes);
        Legend->Classify(cmEqualInterval);
    }
    void Open() {
        Dialog = std::make_unique<TfrmClassification>();
        Dialog->OpenClassification(&Map, *Legend);
        Dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Dialog.get(), kWaitDeadlineMs));
    }
    TLegendControls& Row(int i) { return *Dialog->Rows().at(i); }
    static void Type(QLineEdit& edit, const QString& text) {
        edit.selectAll();
        QTest::keyClicks(&edit, text);
    }
    QString Method() const { return Dialog->SortMethodCombo->currentText(); }
};

} // namespace

TEST_F(ClassificationDialogTest, ShowsTheThemeAndOneRowPerClass) {
    Open();
    EXPECT_EQ(Dialog->windowTitle(), "Classification");
    EXPECT_EQ(Dialog->edtTitle->text(), "Reference soil groups");
    EXPECT_EQ(Method(), "Equal interval");
    EXPECT_EQ(Dialog->SpinEdit->value(), 4);
    EXPECT_EQ(Dialog->EdtMinimum->text(), "0");
    EXPECT_EQ(Dialog->EdtMaximum->text(), "32000");
    EXPECT_TRUE(Dialog->EdtMinimum->isReadOnly());
    // The spin box stops at the 40 classes a legend holds.
    EXPECT_EQ(Dialog->SpinEdit->minimum(), 2);
    EXPECT_EQ(Dialog->SpinEdit->maximum(), 40);

    ASSERT_EQ(Dialog->Rows().size(), 4u);
    EXPECT_TRUE(Row(0).edtFrom->text().isEmpty());
    EXPECT_FALSE(Row(0).edtFrom->isEnabled());
    EXPECT_TRUE(Row(3).edtTo->text().isEmpty());
    EXPECT_FALSE(Row(3).edtTo->isEnabled());
    const QString inner[3] = {"8000", "16000", "24000"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Row(i).edtTo->text(), inner[i]);
        EXPECT_EQ(Row(i + 1).edtFrom->text(), inner[i]);
        EXPECT_TRUE(Row(i).edtTo->isEnabled());
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Row(i).lblNumber->text(), QString::number(i + 1));
        EXPECT_EQ(Row(i).edtCaption->text(), Legend->Classes().ClassLabels[i]);
        EXPECT_EQ(Row(i).shpColor->Color, Legend->Classes().ClassColors[i]);
        EXPECT_TRUE(Row(i).chkVisible->isChecked());
        EXPECT_EQ(Row(i).edtTo->y(), 30 * i + 4);
        EXPECT_EQ(Row(i).btnColor->text(), "...");
    }
    // Every row fits the scroll box's width.
    EXPECT_LE(Row(0).btnColor->geometry().right(), Dialog->pnlLegend->viewport()->width());
}

TEST_F(ClassificationDialogTest, TypingABoundShowsManualWithoutReclassifying) {
    Open();
    Type(*Row(1).edtTo, "9000");
    EXPECT_EQ(Method(), "Manual");
    EXPECT_EQ(Legend->Classes().Method, cmEqualInterval);
    EXPECT_EQ(Legend->Classes().Breaks[1], 16000);
    EXPECT_EQ(Map.Redraws, 0);
    EXPECT_EQ(Dialog->Rows().size(), 4u);
}

TEST_F(ClassificationDialogTest, ManualBoundsAreReadUpToTheFirstTextThatIsNoNumber) {
    Open();
    Type(*Row(0).edtTo, "5000");
    Type(*Row(1).edtTo, "abc");
    Type(*Row(2).edtTo, "30000");
    Type(*Row(0).edtCaption, "low");
    QTest::mouseClick(Dialog->btnApply, Qt::LeftButton);
    EXPECT_EQ(Legend->Classes().Method, cmManual);
    EXPECT_EQ(Legend->Classes().Breaks[0], 5000);
    EXPECT_EQ(Legend->Classes().Breaks[1], 16000);
    EXPECT_EQ(Legend->Classes().Breaks[2], 24000);
    EXPECT_EQ(Legend->Classes().ClassLabels[0], "low");
    EXPECT_EQ(Map.Redraws, 1);
    // The rows show the legend as applied.
    EXPECT_EQ(Row(1).edtFrom->text(), "5000");
    EXPECT_EQ(Row(1).edtTo->text(), "16000");
}

TEST_F(ClassificationDialogTest, ACountChangeReclassifiesAnEqualIntervalButOnlyRebuildsManualRows) {
    Open();
    QTest::keyClick(Dialog->SpinEdit, Qt::Key_Up);
    EXPECT_EQ(Legend->Classes().NumClasses, 5);
    EXPECT_EQ(Legend->Classes().Breaks[0], 6400);
    EXPECT_EQ(Map.Redraws, 1);
    ASSERT_EQ(Dialog->Rows().size(), 5u);
    EXPECT_EQ(Row(0).edtTo->text(), "6400");

    // Manual (the last method) applies once when chosen, then a count change only adds a row.
    QTest::keyClick(Dialog->SortMethodCombo, Qt::Key_End);
    EXPECT_EQ(Method(), "Manual");
    EXPECT_EQ(Legend->Classes().Method, cmManual);
    EXPECT_EQ(Map.Redraws, 2);
    QTest::keyClick(Dialog->SpinEdit, Qt::Key_Up);
    EXPECT_EQ(Dialog->Rows().size(), 6u);
    EXPECT_EQ(Legend->Classes().NumClasses, 5);
    EXPECT_EQ(Map.Redraws, 2);
    // Applying keeps the shown bounds; the new last class has no upper bound of its own.
    QTest::mouseClick(Dialog->btnApply, Qt::LeftButton);
    EXPECT_EQ(Legend->Classes().NumClasses, 6);
    EXPECT_EQ(Legend->Classes().Breaks[3], 25600);
}

TEST_F(ClassificationDialogTest, ACountChangeWhilePredefinedSwitchesToManual) {
    Theme.ClassSet = &Classes;
    Legend->Classify(cmPredefined);
    Open();
    EXPECT_EQ(Method(), "Pre-defined");
    ASSERT_EQ(Dialog->Rows().size(), 3u);
    QTest::keyClick(Dialog->SpinEdit, Qt::Key_Up);
    EXPECT_EQ(Method(), "Manual");
    EXPECT_EQ(Dialog->Copy().Method, cmManual);
    EXPECT_EQ(Dialog->Rows().size(), 4u);
    EXPECT_EQ(Legend->Classes().Method, cmPredefined);
    EXPECT_EQ(Legend->Classes().NumClasses, 3);
    EXPECT_EQ(Map.Redraws, 0);
}

TEST_F(ClassificationDialogTest, CancelAfterApplyKeepsWhatApplyWrote) {
    Open();
    Type(Row(2).edtCaption.operator*(), "applied");
    Dialog->edtTitle->setText("Soil groups");
    QTest::mouseClick(Row(2).chkVisible.get(), Qt::LeftButton);
    QTest::mouseClick(Dialog->btnApply, Qt::LeftButton);
    Type(*Row(2).edtCaption, "not applied");
    QTest::mouseClick(Dialog->btnCancel, Qt::LeftButton);
    EXPECT_EQ(Dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Theme.LayerName, "Soil groups");
    EXPECT_FALSE(Legend->Classes().Visible[2]);
    // Equal interval labels are made anew from the bounds when it reclassifies.
    EXPECT_EQ(Legend->Classes().ClassLabels[2], "16000 - 24000 ");
}

TEST_F(ClassificationDialogTest, EnterClosesWithOkWithoutStoringAndOkStores) {
    Open();
    Type(*Row(0).edtTo, "100");
    QTest::keyClick(Row(0).edtTo.get(), Qt::Key_Return);
    EXPECT_EQ(Dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(Dialog->isVisible());
    EXPECT_EQ(Legend->Classes().Breaks[0], 8000);
    EXPECT_EQ(Legend->Classes().Method, cmEqualInterval);
    // Its place is kept under its window name and comes back with the next dialog.
    EXPECT_TRUE(TRegistry(TSettingsStore::Global()).KeyExists(QString(kFormsKey) + "\\frmClassification"));
    const QPoint placed = Dialog->pos();

    Open();
    EXPECT_EQ(Dialog->pos(), placed);
    QTest::keyClick(Dialog->SpinEdit, Qt::Key_Escape);
    EXPECT_EQ(Dialog->result(), QDialog::Rejected);

    Open();
    Type(*Row(0).edtTo, "100");
    QTest::mouseClick(Dialog->btnOK, Qt::LeftButton);
    EXPECT_EQ(Dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Legend->Classes().Breaks[0], 100);
    EXPECT_EQ(Legend->Classes().Method, cmManual);
    EXPECT_EQ(Map.Redraws, 0); // the opener redraws after OK
}

TEST_F(ClassificationDialogTest, TheColourButtonOfARowChangesTheCopyAndItsSwatch) {
    Open();
    Responder.DialogAnswers.push_back([](QDialog& dialog) {
        auto& picker = static_cast<TColorForm&>(dialog);
        picker.SetColor(ColorRefOf(1, 2, 3));
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(Row(1).btnColor.get(), Qt::LeftButton);
    EXPECT_EQ(Row(1).shpColor->Color, 0xFF010203u);
    EXPECT_EQ(Dialog->Copy().ClassColors[1], 0xFF010203u);
    EXPECT_NE(Legend->Classes().ClassColors[1], 0xFF010203u);
    QTest::mouseClick(Dialog->btnApply, Qt::LeftButton);
    EXPECT_EQ(Legend->Classes().ClassColors[1], 0xFF010203u);

    Responder.DialogAnswers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    QTest::mouseClick(Row(1).btnColor.get(), Qt::LeftButton);
    EXPECT_EQ(Row(1).shpColor->Color, 0xFF010203u);
}

TEST_F(ClassificationDialogTest, ResizingHoldsTheWidthAndMovesButtonsAndRows) {
    Open();
    const int width = Dialog->width();
    Dialog->resize(width + 100, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(Dialog->width(), width);
    // Buttons 29 pixels above the bottom edge (their middle, whatever their height in this style).
    EXPECT_NEAR(Dialog->btnOK->geometry().center().y(), Dialog->height() - 29 + 12, 1);
    EXPECT_EQ(Dialog->pnlLegend->height(), 500 - 140);
    EXPECT_LT(Dialog->btnCancel->x(), Dialog->btnOK->x());
    EXPECT_LT(Dialog->btnOK->x(), Dialog->btnApply->x());
}
