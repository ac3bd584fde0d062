// The property map dialog, driven with the keyboard and the mouse.
#include "TestSupport.h"
#include "classify/ColorRampBox.h"
#include "classify/PropertyMapForm.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

TPropertyAttribute Attribute(TPropertyLevel level, const QString& field, const QString& description,
                             const QString& unit) {
    TPropertyAttribute attribute;
    attribute.Level = level;
    attribute.Field = field;
    attribute.Description = description;
    attribute.Unit = unit;
    return attribute;
}

class PropertyMapFormTest : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TPropertyCatalogue Catalogue{{Attribute(TPropertyLevel::Unit, "AWC", "Available water capacity", "mm"),
                                  Attribute(TPropertyLevel::Unit, "PH_TOP", "pH of the topsoil", "-log(H+)"),
                                  Attribute(TPropertyLevel::Layer, "CLAY", "Clay", "% wt."),
                                  Attribute(TPropertyLevel::Layer, "ORG_CARBON", "Organic carbon", "% wt."),
                                  Attribute(TPropertyLevel::Layer, "PH_H2O", "pH in water", "-log(H+)")},
                                 {{"D1", "0-20 cm"}, {"D2", "20-40 cm"}, {"D5", "80-100 cm"}},
                                 {}};
    std::unique_ptr<TPropertyMapForm> Form;

    void Open(const TPropertyMapRequest& initial = {}) {
        Form = std::make_unique<TPropertyMapForm>(Catalogue, initial);
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get(), kWaitDeadlineMs));
    }
    QPushButton* Ok() const { return Form->btnBox->button(QDialogButtonBox::Ok); }
    // The attribute titles the list shows, under their shown headings.
    QStringList Shown() const {
        QStringList shown;
        for (int g = 0; g < Form->lstAttributes->topLevelItemCount(); ++g) {
            const QTreeWidgetItem* group = Form->lstAttributes->topLevelItem(g);
            if (group->isHidden())
                continue;
            shown << "[" + group->text(0) + "]";
            for (int i = 0; i < group->childCount(); ++i)
                if (!group->child(i)->isHidden())
                    shown << group->child(i)->text(0);
        }
        return shown;
    }
    void Click(const QString& title) {
        const auto items = Form->lstAttributes->findItems(title, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1) << title.toStdString();
        Form->lstAttributes->scrollToItem(items.front());
        const QRect rect = Form->lstAttributes->visualItemRect(items.front());
        QTest::mouseClick(Form->lstAttributes->viewport(), Qt::LeftButton, {}, rect.center());
    }
    // Chooses an entry of a closed combo box with the keyboard, as a user tabbing through would.
    static void Choose(QComboBox& box, const QString& text) {
        box.setFocus();
        for (int guard = 0; box.currentText() != text && guard < box.count(); ++guard)
            QTest::keyClick(&box, box.findText(text) > box.currentIndex() ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(box.currentText(), text);
    }
};

} // namespace

TEST_F(PropertyMapFormTest, OpensOnTheTopsoilPhInClassesOfEqualAreaWithASequentialRamp) {
    Open();
    EXPECT_EQ(Form->windowTitle(), "Property Map");
    EXPECT_EQ(Shown(), QStringList({"[Unit-level attributes]", "Available water capacity (mm)",
                                    "pH of the topsoil (-log(H+))", "[Layer-level attributes]",
                                    "Clay (% wt.)", "Organic carbon (% wt.)", "pH in water (-log(H+))"}));
    ASSERT_TRUE(Form->ChosenAttribute());
    EXPECT_EQ(Form->ChosenAttribute()->Field, "PH_H2O");
    EXPECT_EQ(Form->cmbLayer->currentText(), "D1 0-20 cm");
    EXPECT_EQ(Form->cmbCombination->currentText(), "Share-weighted mean");
    EXPECT_EQ(Form->cmbMethod->currentText(), "Quantiles");
    EXPECT_EQ(Form->cmbColorRamp->currentIndex(), kSequentialRamp);
    EXPECT_EQ(Form->spnClasses->minimum(), 2);
    EXPECT_EQ(Form->spnClasses->maximum(), 24);
    EXPECT_TRUE(Ok()->isEnabled());
    EXPECT_TRUE(Form->edtFilter->hasFocus()) << "the user can start typing a name at once";

    // A database without that attribute: its first layer attribute.
    TPropertyMapRequest other;
    other.Definition.Field = "PH_KCL";
    Open(other);
    EXPECT_EQ(Form->ChosenAttribute()->Field, "CLAY");
}

TEST_F(PropertyMapFormTest, TheFilterNarrowsTheListAndTheChoiceFollowsIt) {
    Open();
    QTest::keyClicks(Form->edtFilter, "ph");
    EXPECT_EQ(Shown(), QStringList({"[Unit-level attributes]", "pH of the topsoil (-log(H+))",
                                    "[Layer-level attributes]", "pH in water (-log(H+))"}));
    EXPECT_EQ(Form->ChosenAttribute()->Field, "PH_H2O") << "a choice still shown stays";

    Form->edtFilter->clear();
    QTest::keyClicks(Form->edtFilter, "org_c"); // the field name matches too
    EXPECT_EQ(Shown(), QStringList({"[Layer-level attributes]", "Organic carbon (% wt.)"}));
    EXPECT_EQ(Form->ChosenAttribute()->Field, "ORG_CARBON") << "the first shown in place of a hidden choice";

    QTest::keyClicks(Form->edtFilter, "xyz");
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(Form->ChosenAttribute(), nullptr);
    EXPECT_FALSE(Ok()->isEnabled());

    Form->edtFilter->clear();
    EXPECT_EQ(Shown().size(), 7);
    EXPECT_TRUE(Ok()->isEnabled());
}

TEST_F(PropertyMapFormTest, AUnitLevelAttributeHasNoLayerOrCombination) {
    Open();
    Click("pH of the topsoil (-log(H+))");
    EXPECT_FALSE(Form->cmbLayer->isEnabled());
    EXPECT_FALSE(Form->cmbCombination->isEnabled());
    EXPECT_EQ(Form->Request().Definition.Level, TPropertyLevel::Unit);
    EXPECT_EQ(Form->Request().Definition.Field, "PH_TOP");

    // A heading is no attribute.
    Click("Layer-level attributes");
    EXPECT_EQ(Form->ChosenAttribute()->Field, "PH_TOP");

    Click("Clay (% wt.)");
    EXPECT_TRUE(Form->cmbLayer->isEnabled());
    EXPECT_TRUE(Form->cmbCombination->isEnabled());
}

TEST_F(PropertyMapFormTest, OkHandsOverEverythingChosen) {
    Open();
    Click("Organic carbon (% wt.)");
    Choose(*Form->cmbLayer, "D5 80-100 cm");
    Choose(*Form->cmbCombination, "Dominant component");
    Choose(*Form->cmbMethod, "Quantiles");
    Form->spnClasses->setFocus();
    Form->spnClasses->selectAll();
    QTest::keyClicks(Form->spnClasses, "12");
    Form->cmbColorRamp->setCurrentIndex(0);
    QTest::mouseClick(Ok(), Qt::LeftButton);
    EXPECT_EQ(Form->result(), QDialog::Accepted);

    const TPropertyMapRequest request = Form->Request();
    EXPECT_EQ(request.Definition, (TPropertyDefinition{TPropertyLevel::Layer, "ORG_CARBON", "D5",
                                                       TPropertyCombination::Dominant}));
    EXPECT_EQ(request.Method, TPropertyMethod::Quantiles);
    EXPECT_EQ(request.ClassCount, 12);
    EXPECT_EQ(request.RampIndex, 0);
}

TEST_F(PropertyMapFormTest, OpensOnTheGivenChoiceAndADoubleClickTakesAnAttribute) {
    TPropertyMapRequest initial;
    initial.Definition = {TPropertyLevel::Layer, "PH_H2O", "D2", TPropertyCombination::Dominant};
    initial.Method = TPropertyMethod::Standardized;
    initial.ClassCount = 5;
    initial.RampIndex = 7;
    Open(initial);
    EXPECT_EQ(Form->ChosenAttribute()->Field, "PH_H2O");
    EXPECT_EQ(Form->cmbLayer->currentText(), "D2 20-40 cm");
    EXPECT_EQ(Form->cmbCombination->currentText(), "Dominant component");
    EXPECT_EQ(Form->cmbMethod->currentText(), "Standardized");
    EXPECT_EQ(Form->spnClasses->value(), 5);
    EXPECT_EQ(Form->cmbColorRamp->currentIndex(), 7);

    const auto items = Form->lstAttributes->findItems("Clay (% wt.)", Qt::MatchExactly | Qt::MatchRecursive);
    const QPoint at = Form->lstAttributes->visualItemRect(items.front()).center();
    QTest::mouseClick(Form->lstAttributes->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(Form->lstAttributes->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(Form->result(), QDialog::Accepted);
    EXPECT_EQ(Form->Request().Definition.Field, "CLAY");
}
