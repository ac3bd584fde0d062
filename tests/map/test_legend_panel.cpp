// The legend panel of a map window, driven by clicks on its tree, and the legend operations the
// frame calls.
#include "MapWindowFixture.h"
#include "classify/ColorForm.h"
#include "classify/frmClassification.h"
#include "map/LegendImages.h"
#include "map/LegendPanel.h"
#include "map/LegendTree.h"
#include "map/MapExplorerForm.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <shapefil.h>

namespace {

constexpr int kCols = kMapCols;
constexpr int kRows = kMapRows;
constexpr QRgb kWhite = 0xFFFFFFFF;
const QRgb kClassColors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};

// Bands of 40 rows: SMU id = 1 + column block + 10 x row block, its WRB2 code the same number.
// Four classes: codes up to 10, 20, 30 and the rest, so row band b (0..3) shows class b.
std::uint32_t CellOf(int c, int r) {
    return 1 + c / 40 + 10 * (r / 40);
}

// The world outline of these tests: a polygon whose top edge runs along the centre of raster row 0
// over the whole width of the raster (the grid of these tests spans the world in kCols x kRows).
void WriteTopEdgeOutline(const QString& path) {
    SHPHandle shp = SHPCreate(QFile::encodeName(path).constData(), SHPT_POLYGON);
    DBFHandle dbf = DBFCreate(QFile::encodeName(path).constData());
    ASSERT_TRUE(shp && dbf);
    DBFAddField(dbf, "ID", FTInteger, 9, 0);
    const double west = -180, east = 180;
    const double top = 90 - 0.5 * 180.0 / kRows, bottom = 0;
    double x[] = {west, east, east, west, west};
    double y[] = {top, top, bottom, bottom, top};
    SHPObject* object = SHPCreateSimpleObject(SHPT_POLYGON, 5, x, y, nullptr);
    SHPWriteObject(shp, -1, object);
    SHPDestroyObject(object);
    DBFWriteIntegerAttribute(dbf, 0, 0, 1);
    SHPClose(shp);
    DBFClose(dbf);
}

class LegendPanelTest : public TMapWindowFixture {
protected:
    std::unique_ptr<TMapExplorerForm> Form;

    void SetUp() override {
        MakeMapData(CellOf, 60);
        Host.Settings.WorldMap = Env.Folder() + "Outline.shp";
        WriteTopEdgeOutline(Host.Settings.WorldMap);
        SetClassSet({10, 20, 30, 1000}, {"class 1", "class 2", "class 3", "class 4"},
                    {std::begin(kClassColors), std::end(kClassColors)});
        Form = ShownForm();
        ASSERT_TRUE(Form->OpenTheme(&Theme, 0, kCols, 0, kRows));
        WaitForDrawing(*Form);
    }
    // True when the outline along the top of the map is drawn at column x.
    bool TopEdgeDrawn(int x) {
        WaitForDrawing(*Form);
        for (int y = 0; y < 3; ++y)
            if (qRed(Form->Image32View->Bitmap.pixel(x, y)) < 128)
                return true;
        return false;
    }

    QTreeWidget& Tree() { return *Form->LegendTreeView; }
    QTreeWidgetItem* ThemeNode() { return Tree().topLevelItem(0); }
    QTreeWidgetItem* ClassNode(int i) { return ThemeNode()->child(i); }
    QTreeWidgetItem* ShapeNode(int i) { return Tree().topLevelItem(1)->child(i); }
    static int State(QTreeWidgetItem* node) { return node->data(0, lrState).toInt(); }

    // The map pixel in the middle of row band `band`.
    QRgb BandPixel(int band) {
        WaitForDrawing(*Form);
        const double scale = Form->View().Scale();
        return Form->Image32View->Bitmap.pixel(int(20 * scale), int((40 * band + 20) * scale));
    }
    std::vector<int> States() {
        std::vector<int> states;
        for (int i = 0; i < ThemeNode()->childCount(); ++i)
            states.push_back(State(ClassNode(i)));
        return states;
    }

    // A click on the check mark or on the colour button of a node.
    // A click on the finished map, or (During) at once, during a drawing.
    enum class TWhen { AfterDrawing, During };
    void ClickNode(QTreeWidgetItem* node, TStatePart part, TWhen when = TWhen::AfterDrawing) {
        if (when == TWhen::AfterDrawing)
            WaitForDrawing(*Form);
        const QRect state = TLegendPanel::StateImageRect(Tree(), *node);
        ASSERT_FALSE(state.isEmpty());
        const int x = part == TStatePart::CheckMark ? state.left() + 7 : state.left() + 24;
        QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, QPoint(x, state.center().y()));
    }
};

} // namespace

TEST_F(LegendPanelTest, TheStateImageIsWhereTheTreePaintsTheCheckBoxAndTheButton) {
    const QImage shown = Tree().viewport()->grab().toImage();
    const QRect state = TLegendPanel::StateImageRect(Tree(), *ClassNode(1));
    const int top = state.top() + (state.height() - 16) / 2;
    EXPECT_EQ(QColor(shown.pixel(state.left() + 2, top + 7)), QColor(64, 64, 64));     // check box edge
    EXPECT_EQ(QColor(shown.pixel(state.left() + 17, top + 7)), QColor(128, 128, 128)); // button edge
    EXPECT_EQ(TLegendPanel::HitTest(Tree(), {state.left() + 7, state.center().y()}), TStatePart::CheckMark);
    EXPECT_EQ(TLegendPanel::HitTest(Tree(), {state.left() + 24, state.center().y()}), TStatePart::Colour);
    // The class's swatch picks its colour too; the text is not part of it, nor is the "Shape Layers"
    // node.
    EXPECT_EQ(TLegendPanel::HitTest(Tree(), {state.left() + 40, state.center().y()}), TStatePart::Colour);
    EXPECT_EQ(TLegendPanel::HitTest(Tree(), {state.left() + 52, state.center().y()}), TStatePart::None);
    EXPECT_TRUE(TLegendPanel::StateImageRect(Tree(), *Tree().topLevelItem(1)).isEmpty());
}

TEST_F(LegendPanelTest, ClickingAClassCheckMarkHidesAndShowsItsCells) {
    EXPECT_EQ(BandPixel(1), kClassColors[1]);
    ClickNode(ClassNode(1), TStatePart::CheckMark);
    EXPECT_FALSE(Form->Manager().Classes().Visible[1]);
    EXPECT_EQ(BandPixel(1), kWhite);
    EXPECT_EQ(BandPixel(0), kClassColors[0]);
    EXPECT_EQ(States(), (std::vector<int>{2, 1, 2, 2}));
    EXPECT_TRUE(ThemeNode()->isExpanded());

    ClickNode(ClassNode(1), TStatePart::CheckMark);
    EXPECT_TRUE(Form->Manager().Classes().Visible[1]);
    EXPECT_EQ(BandPixel(1), kClassColors[1]);
    EXPECT_EQ(States(), (std::vector<int>{2, 2, 2, 2}));
}

TEST_F(LegendPanelTest, TheRootHidesTheRasterButNotTheOverlaysWhichHaveTheirOwnCheckMarks) {
    Form->Redraw();
    ClickNode(ThemeNode(), TStatePart::CheckMark);
    EXPECT_FALSE(Form->Manager().RasterVisible);
    EXPECT_EQ(State(ThemeNode()), 1);
    for (int band = 0; band < 4; ++band)
        EXPECT_EQ(BandPixel(band), kWhite);
    EXPECT_TRUE(TopEdgeDrawn(10)) << "the world outline stays";

    ClickNode(ShapeNode(0), TStatePart::CheckMark);
    EXPECT_FALSE(Form->Manager().ShapeLayers[0].Visible);
    EXPECT_EQ(State(ShapeNode(0)), 1);
    EXPECT_FALSE(TopEdgeDrawn(10));

    ClickNode(ThemeNode(), TStatePart::CheckMark);
    EXPECT_TRUE(Form->Manager().RasterVisible);
    EXPECT_EQ(BandPixel(2), kClassColors[2]);
}

TEST_F(LegendPanelTest, SwitchSelectAllAndSelectNoneFromTheLegend) {
    // Classes 1 and 3 of 4 visible.
    Form->Manager().SetClassVisible(1, false);
    Form->Manager().SetClassVisible(3, false);
    Form->Redraw();
    Form->InvertClassSelection();
    EXPECT_EQ(States(), (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(BandPixel(0), kWhite);
    EXPECT_EQ(BandPixel(1), kClassColors[1]);
    EXPECT_EQ(BandPixel(2), kWhite);
    EXPECT_EQ(BandPixel(3), kClassColors[3]);

    Form->SelectNoClasses();
    EXPECT_EQ(States(), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(BandPixel(3), kWhite);
    Form->SelectAllClasses();
    EXPECT_EQ(States(), (std::vector<int>{2, 2, 2, 2}));
    EXPECT_EQ(BandPixel(0), kClassColors[0]);
}

TEST_F(LegendPanelTest, ARampGivesClassIItsColourNumberAndTheMapIsRedrawn) {
    TQEVmanager& legend = Form->Manager();
    legend.SetNumClasses(5);
    legend.Classify(cmEqualInterval);
    QSignalSpy drawn(Form.get(), &TMapExplorerForm::DrawingFinished);
    TRampRecord ramp{};
    for (int k = 0; k < 76; ++k)
        ramp[kRampFirstColor + k] = static_cast<std::int32_t>(0xFF000000u + 14u + unsigned(k));
    struct TCase {
        int Distinct;
        std::vector<unsigned> Numbers; // colour numbers of the record, 14 + entry
    };
    for (const TCase& c : {TCase{1, {14, 21, 29, 37, 45}}, TCase{0, {14, 29, 44, 59, 74}}}) {
        ramp[0] = c.Distinct;
        Form->ApplyColourRamp(ramp);
        WaitForDrawing(*Form);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(legend.Classes().ClassColors[i], 0xFF000000u + c.Numbers[i]) << "class " << i;
        EXPECT_EQ(Form->RampCopy, ramp);
    }
    EXPECT_EQ(drawn.count(), 2);
}

TEST_F(LegendPanelTest, TheColourButtonOfAClassOpensThePickerAndOkRecolours) {
    QSignalSpy drawn(Form.get(), &TMapExplorerForm::DrawingFinished);
    Responder.DialogAnswers.push_back([](QDialog& dialog) {
        auto* picker = qobject_cast<TColorForm*>(&dialog);
        EXPECT_NE(picker, nullptr);
        if (!picker)
            return int(QDialog::Rejected);
        EXPECT_EQ(picker->CurrentColor(), ToColorRef(kClassColors[2]));
        picker->show();
        // 50 % red, nothing else.
        for (QLineEdit* edit : {picker->edtGREEN, picker->edtBLUE}) {
            edit->clear();
            QTest::keyClicks(edit, "0");
        }
        picker->edtRED->clear();
        QTest::keyClicks(picker->edtRED, "50");
        QTest::mouseClick(picker->btnOK, Qt::LeftButton);
        return picker->result();
    });
    ClickNode(ClassNode(2), TStatePart::Colour);
    EXPECT_TRUE(Responder.DialogAnswers.empty());
    EXPECT_EQ(Form->Manager().Classes().ClassColors[2], 0xFF7F0000u);
    EXPECT_EQ(BandPixel(2), 0xFF7F0000u);
    EXPECT_EQ(drawn.count(), 1);
}

TEST_F(LegendPanelTest, CancellingThePickerLeavesTheLegendAndStartsNoDrawing) {
    QSignalSpy drawn(Form.get(), &TMapExplorerForm::DrawingFinished);
    Host.StatusTexts.clear();
    // The colour button and the swatch beside it, of a class and of an overlay.
    for (QTreeWidgetItem* node : {ClassNode(0), ShapeNode(0)})
        for (const int x : {24, 40}) {
            Responder.DialogAnswers.push_back([](QDialog& dialog) {
                EXPECT_NE(qobject_cast<TColorForm*>(&dialog), nullptr);
                return int(QDialog::Rejected);
            });
            const QRect state = TLegendPanel::StateImageRect(Tree(), *node);
            QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {},
                              QPoint(state.left() + x, state.center().y()));
            EXPECT_TRUE(Responder.DialogAnswers.empty()) << node->text(0).toStdString() << " at " << x;
        }
    EXPECT_EQ(Form->Manager().Classes().ClassColors[0], kClassColors[0]);
    EXPECT_EQ(Form->Manager().ShapeLayers[0].Color, 0u);
    EXPECT_EQ(drawn.count(), 0);
    EXPECT_TRUE(Host.StatusTexts.isEmpty());
}

TEST_F(LegendPanelTest, ClicksDuringADrawingAreIgnoredAndEscapeStopsIt) {
    Form->resize(600, 450);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Form->IsDrawing() && Form->Image32View->Bitmap.size() == Form->MapPanel->size(); },
        kWaitDeadlineMs));
    Form->SetRowGate(SlowRows());
    Form->Redraw();
    ASSERT_TRUE(Form->IsDrawing());
    ClickNode(ClassNode(0), TStatePart::CheckMark, TWhen::During);
    QTest::keyClick(&Tree(), Qt::Key_Escape);
    WaitForDrawing(*Form);
    EXPECT_TRUE(Form->Manager().Classes().Visible[0]);
    EXPECT_EQ(Form->Image32View->Bitmap.pixel(5, 400), kWhite); // never reached
}

TEST_F(LegendPanelTest, ARightClickSelectsANodeAndChangesNothing) {
    QTreeWidgetItem* node = ClassNode(2);
    QTest::mouseClick(Tree().viewport(), Qt::RightButton, {}, Tree().visualItemRect(node).center());
    EXPECT_EQ(Tree().currentItem(), node);
    EXPECT_TRUE(node->isSelected());
    const QRect state = TLegendPanel::StateImageRect(Tree(), *node);
    // A selected class shows its true colour.
    const QImage shown = Tree().viewport()->grab().toImage();
    EXPECT_EQ(shown.pixel(state.left() + 32 + 8, state.center().y()), kClassColors[2]);
    QTest::mouseClick(Tree().viewport(), Qt::RightButton, {}, QPoint(state.left() + 7, state.center().y()));
    EXPECT_TRUE(Form->Manager().Classes().Visible[2]);
}

TEST_F(LegendPanelTest, TheTreeCannotBeCollapsed) {
    ThemeNode()->setExpanded(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ThemeNode()->isExpanded());
    Tree().setCurrentItem(ThemeNode());
    QTest::keyClick(&Tree(), Qt::Key_Left);
    EXPECT_TRUE(ThemeNode()->isExpanded());
}

TEST_F(LegendPanelTest, ShowClassificationRedrawsOnOkOnly) {
    QSignalSpy drawn(Form.get(), &TMapExplorerForm::DrawingFinished);
    Responder.DialogAnswers.push_back([](QDialog& dialog) {
        EXPECT_NE(qobject_cast<TfrmClassification*>(&dialog), nullptr);
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(Form->ShowClassification());
    EXPECT_EQ(drawn.count(), 0);
    Responder.DialogAnswers.push_back([this](QDialog& dialog) {
        auto* classification = qobject_cast<TfrmClassification*>(&dialog);
        classification->show();
        classification->Rows()[1]->chkVisible->click();
        QTest::mouseClick(classification->btnOK, Qt::LeftButton);
        EXPECT_FALSE(Form->Manager().Classes().Visible[1]);
        return classification->result();
    });
    EXPECT_TRUE(Form->ShowClassification());
    WaitForDrawing(*Form);
    EXPECT_EQ(drawn.count(), 1);
    EXPECT_EQ(BandPixel(1), kWhite);
}

TEST_F(LegendPanelTest, TheLegendStaysScrolledWhereItWasWhenAClickRedrawsTheMap) {
    Form->Manager().SetNumClasses(40);
    Form->Manager().Classify(cmEqualInterval);
    Form->Redraw();
    QScrollBar* bar = Tree().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    Tree().scrollToItem(ClassNode(39));
    const int scrolled = bar->value();
    ASSERT_GT(scrolled, 0);
    ClickNode(ClassNode(39), TStatePart::CheckMark);
    EXPECT_FALSE(Form->Manager().Classes().Visible[39]);
    EXPECT_EQ(bar->value(), scrolled) << bar->maximum();
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), scrolled) << bar->maximum();
}

TEST_F(LegendPanelTest, TheColourButtonOfAnOverlayRecoloursIt) {
    Responder.DialogAnswers.push_back([](QDialog& dialog) {
        auto& picker = static_cast<TColorForm&>(dialog);
        EXPECT_EQ(picker.CurrentColor(), 0u); // the outline starts black
        picker.SetColor(ColorRefOf(0, 128, 255));
        return int(QDialog::Accepted);
    });
    ClickNode(ShapeNode(0), TStatePart::Colour);
    EXPECT_EQ(Form->Manager().ShapeLayers[0].Color, 0xFF0080FFu);
    // The rebuilt legend shows the overlay's symbol in its new colour.
    const QImage icon = ShapeNode(0)->icon(0).pixmap(QSize(48, 16)).toImage();
    bool found = false;
    for (int y = 0; y < 16 && !found; ++y)
        for (int x = 32; x < 48 && !found; ++x)
            found = icon.pixel(x, y) == 0xFF0080FFu;
    EXPECT_TRUE(found);
}

namespace {
// The legend's menu opened by a right click on `node`, as the platform asks for it.
QMenu* RightClickMenu(QTreeWidget& tree, QTreeWidgetItem* node) {
    const QPoint at = tree.visualItemRect(node).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(tree.viewport(), &event);
    QMenu* menu = tree.findChild<QMenu*>("LegendMenu");
    EXPECT_TRUE(menu && menu->isVisible());
    return menu;
}

QStringList Captions(const QMenu& menu) {
    QStringList captions;
    for (const QAction* action : menu.actions())
        captions << (action->isSeparator() ? "-" : action->text());
    return captions;
}
} // namespace

TEST_F(LegendPanelTest, TheRightClickMenuActsOnTheLegendAndRemovesAnOverlay) {
    QMenu* menu = RightClickMenu(Tree(), ClassNode(2));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Captions(*menu), (QStringList{"&Classification...", "C&hange Colour...", "-", "Select &All",
                                            "Select &None", "S&witch Selection"}));
    // Change Colour picks the colour of the class clicked.
    Responder.DialogAnswers.push_back([](QDialog& dialog) {
        auto& picker = static_cast<TColorForm&>(dialog);
        EXPECT_EQ(picker.CurrentColor(), ToColorRef(kClassColors[2]));
        picker.SetColor(ColorRefOf(0, 0, 0));
        return int(QDialog::Accepted);
    });
    menu->findChild<QAction*>("aLegendColour")->trigger();
    menu->close();
    EXPECT_TRUE(Responder.DialogAnswers.empty());
    EXPECT_EQ(BandPixel(2), 0xFF000000u);

    // Select None hides every class.
    WaitForDrawing(*Form);
    menu = RightClickMenu(Tree(), ThemeNode());
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->findChild<QAction*>("aLegendColour")->isEnabled());
    menu->findChild<QAction*>("aLegendNone")->trigger();
    menu->close();
    EXPECT_EQ(States(), (std::vector<int>{lsUnchecked, lsUnchecked, lsUnchecked, lsUnchecked}));
    EXPECT_EQ(BandPixel(0), kWhite);

    // An overlay's menu removes it: gone from the legend and from the map.
    WaitForDrawing(*Form);
    ASSERT_TRUE(TopEdgeDrawn(100));
    menu = RightClickMenu(Tree(), ShapeNode(0));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Captions(*menu).mid(6), (QStringList{"-", "&Remove Shape Layer"}));
    menu->findChild<QAction*>("aLegendRemoveShape")->trigger();
    menu->close();
    EXPECT_TRUE(Form->Manager().ShapeLayers.empty());
    EXPECT_FALSE(TopEdgeDrawn(100));
    EXPECT_EQ(Tree().topLevelItem(1)->childCount(), 0);
}

TEST_F(LegendPanelTest, TheLegendTakesAtMostAThirdOfANarrowerWindow) {
    Form->resize(1200, 450);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Form->Splitter->width() == 1200; }, kWaitDeadlineMs));
    Form->Splitter->setSizes({696, 500}); // the user widened it
    Form->resize(600, 450);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Form->Splitter->width() == 600; }, kWaitDeadlineMs));
    EXPECT_LE(Form->Panel->width(), 200);
    EXPECT_GE(Form->MapPanel->width(), 390);
}
