// Map output: the printed page (into a PDF file) and the clipboard picture of a map window.
#include "MapWindowFixture.h"
#include "common/TAMOError.h"
#include "map/MapExplorerForm.h"
#include "map/MapOutput.h"
#include "map/ScaleBar.h"

#include <QApplication>
#include <QClipboard>
#include <QPrinter>
#include <QSplitter>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

constexpr int kCols = kMapCols;
constexpr int kRows = kMapRows;

class MapOutputTest : public TMapWindowFixture {
protected:
    std::unique_ptr<TMapExplorerForm> Form;

    void SetUp() override {
        // Stripes of units 1..8 across the grid, each its own class colour.
        MakeMapData([](int c, int r) { return 1u + (c / 50 + r / 50) % 8; }, 8);
        Form = ShownForm();
    }
    void Open() {
        ASSERT_TRUE(Form->OpenTheme(&Theme, 0, kCols, 0, kRows));
        WaitForDrawing(*Form);
    }
};

// The share of dark pixels in `box` of `picture`: the bar and its label.
double Ink(const QImage& picture, const QRect& box) {
    int dark = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            dark += qGray(picture.pixel(x, y)) < 64;
    return double(dark) / (box.width() * box.height());
}

// The picture above its scale bar's box.
QRect AboveTheBar(const TViewGeometry& view, QSize size) {
    return {0, 0, size.width(), ScaleBarBox(ScaleBarOf(view, size), size).top()};
}

int PageCount(const QByteArray& pdf) {
    int pages = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
        pages += pdf.mid(at + 11, 1) != "s";
    return pages;
}

} // namespace

TEST_F(MapOutputTest, ThePageShowsTheMapAtTheScreensCellSizeFromTheTopLeft) {
    Open();
    const TViewGeometry before = Form->View();
    const QImage& screen = Form->Image32View->Bitmap;
    const QImage page = RenderPrintPage(*Form, QSize(1400, 900));
    ASSERT_EQ(page.size(), QSize(1400, 900));
    const QRect map = AboveTheBar(Form->View(), screen.size());
    EXPECT_EQ(page.copy(map), screen.copy(map).convertToFormat(page.format()));
    // Each carries its own scale bar in its lower left corner.
    EXPECT_GT(Ink(screen, ScaleBarBox(ScaleBarOf(Form->View(), screen.size()), screen.size())), 0.05);
    TViewGeometry pageView = Form->View();
    pageView.SetTarget(1400, 900);
    // Measured at the middle of the map (the equator), not of the page, which lies below the world.
    EXPECT_EQ(ScaleBarOf(pageView, page.size()).Label, "20000 km");
    EXPECT_GT(Ink(page, ScaleBarBox(ScaleBarOf(pageView, page.size()), page.size())), 0.05);
    // The window keeps its screen geometry for pointing and drawing.
    EXPECT_EQ(Form->View().TargetWidth(), before.TargetWidth());
    EXPECT_EQ(Form->View().Scale(), before.Scale());

    // A zoomed view: the page starts at the same cell as the screen.
    Form->SetViewAndDraw(120, 220, 60, 110);
    WaitForDrawing(*Form);
    const QImage zoomed = RenderPrintPage(*Form, QSize(1400, 900));
    const QRect zoomedMap = AboveTheBar(Form->View(), Form->Image32View->Bitmap.size());
    EXPECT_EQ(zoomed.copy(zoomedMap),
              Form->Image32View->Bitmap.copy(zoomedMap).convertToFormat(zoomed.format()));
}

TEST_F(MapOutputTest, PrintingIntoAPdfMakesOnePageTitledTamo) {
    const QString pdf = Env.Folder() + "map.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(150);
    printer.setPageSize(QPageSize(QPageSize::A4));

    // Nothing is printed without an open theme.
    EXPECT_FALSE(PrintMap(*Form, printer));
    EXPECT_FALSE(QFileInfo::exists(pdf));

    Open();
    ASSERT_TRUE(PrintMap(*Form, printer));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(PageCount(bytes), 1);
    EXPECT_TRUE(bytes.contains("TAMO") || bytes.contains(QByteArray("\0T\0A\0M\0O", 8)) ||
                bytes.contains("FEFF00540041004D004F"));
    EXPECT_EQ(printer.docName(), "TAMO");
    // The page bitmap goes in whole, one image pixel per printer pixel.
    const QSize page = printer.pageLayout().paintRectPixels(150).size();
    // A file that cannot be written is an error, not a silent success.
    printer.setOutputFileName(Env.Folder() + "missing/folder/map.pdf");
    EXPECT_THROW(PrintMap(*Form, printer), TAMOError);
    EXPECT_TRUE(bytes.contains(QString("/Width %1").arg(page.width()).toLatin1()));
    EXPECT_TRUE(bytes.contains(QString("/Height %1").arg(page.height()).toLatin1()));
}

TEST_F(MapOutputTest, TheClipboardPictureHoldsTheMapAWhiteSplitterAndTheLegend) {
    Open();
    const QString sheet = Form->Splitter->styleSheet();
    CopyMapToClipboard(*Form);
    const QImage picture = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull());
    const qreal ratio = picture.devicePixelRatio();
    EXPECT_EQ(picture.size(), Form->size() * ratio);

    // The splitter bar is white from top to bottom.
    const QRect bar(Form->Splitter->handle(1)->mapTo(Form.get(), QPoint(0, 0)),
                    Form->Splitter->handle(1)->size());
    ASSERT_GT(bar.width(), 0);
    for (int y = bar.top(); y <= bar.bottom(); ++y)
        for (int x = bar.left(); x <= bar.right(); ++x)
            ASSERT_EQ(picture.pixel(x, y), 0xFFFFFFFF) << x << "," << y;
    // The map as drawn, and the legend tree as shown.
    const QPoint mapAt = Form->Image32View->mapTo(Form.get(), QPoint(0, 0));
    EXPECT_EQ(picture.pixel(mapAt + QPoint(10, 10)), Form->Image32View->Bitmap.pixel(10, 10));
    const QImage& bitmap = Form->Image32View->Bitmap;
    const QRect barBox = ScaleBarBox(ScaleBarOf(Form->View(), bitmap.size()), bitmap.size());
    EXPECT_EQ(picture.copy(barBox.translated(mapAt)),
              bitmap.copy(barBox).convertToFormat(QImage::Format_RGB32));
    const QRect tree(Form->LegendTreeView->mapTo(Form.get(), QPoint(0, 0)), Form->LegendTreeView->size());
    const QImage shown = Form->LegendTreeView->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(picture.copy(tree), shown);
    int ink = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ink += qGray(shown.pixel(x, y)) < 128;
    EXPECT_GT(ink, 50) << "the legend shows its texts";
    // The splitter has its own colour back.
    EXPECT_EQ(Form->Splitter->styleSheet(), sheet);
}

TEST(ScaleBar, ARoundLengthOfAboutAFifthOfTheWidthAtTheCentreLatitude) {
    // The world grid of 30 arc-seconds: a cell is 927 m wide at the equator, 464 m at 60°.
    const struct {
        const char* Name;
        TViewRect View;
        QSize Picture;
        const char* Label; // empty: no bar
        int Pixels;
    } cases[] = {
        {"the world", {0, 43199, 0, 21599}, {400, 200}, "5000 km", 50},
        {"four cells at the equator", {21600, 21603, 10798, 10799}, {400, 200}, "500 m", 54},
        {"two degrees at 60° north", {0, 239, 3480, 3719}, {480, 480}, "20 km", 86},
        {"a picture too small", {0, 43199, 0, 21599}, {90, 45}, "", 0},
    };
    for (const auto& c : cases) {
        TViewGeometry view;
        view.SetGrid(43200, 21600);
        view.SetTarget(c.Picture.width(), c.Picture.height());
        view.SetView(c.View);
        ASSERT_TRUE(view.FitView()) << c.Name;
        const TScaleBar bar = ScaleBarOf(view, c.Picture);
        EXPECT_EQ(bar.Label, c.Label) << c.Name;
        EXPECT_NEAR(bar.Pixels, c.Pixels, 1) << c.Name;
        EXPECT_EQ(ScaleBarBox(bar, c.Picture).isEmpty(), bar.Pixels == 0) << c.Name;
    }
}
