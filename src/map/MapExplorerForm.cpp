#include "map/MapExplorerForm.h"

#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "common/TAMOError.h"
#include "map/LegendAreaTips.h"
#include "map/LegendPanel.h"
#include "map/LegendTree.h"
#include "map/MapCursors.h"
#include "map/MapRenderJob.h"
#include "map/ScaleBar.h"
#include "map/ShapeOverlays.h"
#include "map/frmProgress.h"
#include "raster/GridExtent.h"
#include "raster/RasterGrid.h"
#include "raster/RasterLocator.h"
#include "raster/RasterPainter.h"
#include "raster/ViewNavigation.h"
#include "settings/WindowPlacement.h"
#include "themes/PropertyMap.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The width of the legend panel where its texts fit.
constexpr int kLegendWidth = 208;
// The size of the Stop button; it grows to fit its text in the platform's font.
constexpr QSize kStopSize(75, 17);

// The SMU id of a cell value: the whole number itself, taken from the cell and not from the
// readout text, which carries the theme's units.
int SmuIdOf(double cellValue) {
    if (!(cellValue >= 0 && cellValue <= std::numeric_limits<int>::max()) ||
        cellValue != std::floor(cellValue))
        throw TAMOError(QString("'%1' is not a valid integer value").arg(cellValue));
    return static_cast<int>(cellValue);
}

// The shortest general form of a cell value: no trailing zeros, no exponent for whole numbers.
QString ShortestText(double value) {
    return QString::number(value, 'g', 15);
}

} // namespace

TMapExplorerForm::TMapExplorerForm(TMapHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
    setObjectName("MapExplorerForm");
    setWindowTitle("TAMO Soil Database");
    resize(784, 456);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName("Splitter");
    Splitter->setHandleWidth(4);
    Splitter->setChildrenCollapsible(false);

    MapPanel = new QFrame(Splitter);
    MapPanel->setObjectName("MapPanel");
    MapPanel->setCursor(Qt::CrossCursor);
    MapPanel->setAutoFillBackground(true);
    MapPanel->setBackgroundRole(QPalette::Base);
    MapPanel->installEventFilter(this);

    Image32View = new TImage32View(MapPanel);
    Image32View->setObjectName("Image32View");
    Image32View->setCursor(Qt::CrossCursor);
    Image32View->installEventFilter(this);

    btnStop = new QPushButton("Stop Drawing", MapPanel);
    btnStop->setObjectName("btnStop");
    btnStop->setCursor(Qt::ArrowCursor);
    btnStop->setFixedSize(btnStop->sizeHint().expandedTo(kStopSize));
    btnStop->hide();
    connect(Image32View, &TImage32View::PixelRatioChanged, &m_resizeTimer, qOverload<>(&QTimer::start));
    connect(btnStop, &QPushButton::clicked, this, [this] { Guarded([this] { btnStopClick(); }, this); });

    Panel = new QFrame(Splitter);
    Panel->setObjectName("Panel");
    static_cast<QFrame*>(Panel)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    static_cast<QFrame*>(Panel)->setLineWidth(2);
    auto* panelLayout = new QVBoxLayout(Panel);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    LegendTreeView = new QTreeWidget(Panel);
    LegendTreeView->setObjectName("LegendTreeView");
    LegendTreeView->setHeaderHidden(true);
    LegendTreeView->setFrameShape(QFrame::NoFrame);
    LegendTreeView->setIndentation(19);
    LegendTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LegendTreeView->installEventFilter(this);
    panelLayout->addWidget(LegendTreeView);
    Img32Legend = new QLabel(Panel);
    Img32Legend->setObjectName("Img32Legend");
    Img32Legend->hide();

    Splitter->addWidget(MapPanel);
    Splitter->addWidget(Panel);
    Splitter->setStretchFactor(0, 1);
    Splitter->setStretchFactor(1, 0);
    Splitter->setSizes({784 - kLegendWidth - 4, kLegendWidth});
    m_legendWish = kLegendWidth;
    // A width the user drags the legend to is kept, within a third of the window.
    connect(Splitter, &QSplitter::splitterMoved, this, [this] { m_legendWish = Panel->width(); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter);

    m_resizeTimer.setSingleShot(true);
    m_resizeTimer.setInterval(200);
    connect(&m_resizeTimer, &QTimer::timeout, this, [this] { Guarded([this] { ResizeEnded(); }, this); });

    m_legendPanel = new TLegendPanel(*this);

    RampCopy = m_host.ColorRamp(0);
    RecreateManager();
    WatchParent();
}

TMapExplorerForm::~TMapExplorerForm() {
    // The job runs on with its own snapshot and drops its picture; nothing of it reaches here.
    DropDrawing();
}

const TSmuLookup* TMapExplorerForm::SmuLookup() const {
    return m_host.SmuLookup();
}

QRgb TMapExplorerForm::SelectionColor() const {
    return m_host.SelectionColor();
}

std::optional<TCellHistogram> TMapExplorerForm::CellHistogram() {
    if (!m_raster)
        return std::nullopt;
    auto report = [this](int percent) {
        m_host.ShowStatusText(QString("Computing map statistics ... %1 %").arg(percent));
    };
    try {
        TCellHistogram histogram = m_raster->Histogram(m_host.MapSettings().CacheFolder, report);
        m_host.ShowStatusText({});
        return histogram;
    } catch (...) {
        m_host.ShowStatusText({});
        throw;
    }
}

void TMapExplorerForm::ClassificationChanged(int method, int classCount) {
    m_host.SetClassificationControls(method, classCount);
}

void TMapExplorerForm::LegendReset() {
    // The frame's ramp list shows its first entry again; no ramp is applied.
    RampIndex = 0;
    m_host.SetColorRampIndex(0);
}

bool TMapExplorerForm::AddShapeLayer(const QString& path) {
    // A file that cannot be used is named with the reason; the other files chosen with it are
    // still added.
    bool added = false;
    Guarded(
        [&] {
            ::AddShapeLayer(*m_manager, path);
            added = true;
        },
        this);
    return added;
}

void TMapExplorerForm::RecreateManager() {
    CancelDrawing();
    // The window shows nothing of the former theme: no raster, no grid.
    m_raster.reset();
    m_view = TViewGeometry();
    m_manager = std::make_unique<TQEVmanager>(static_cast<TLegendHost*>(this), m_host.MapSettings().WorldMap);
    m_manager->RasterVisible = true;
    // A new legend starts with the colours of the window's ramp, so that classes made from bounds
    // are told apart before any ramp is chosen.
    m_manager->ApplyRamp(RampCopy);
}

bool TMapExplorerForm::OpenTheme(const TQEV_Layer* theme, int firstCol, int lastCol, int firstRow,
                                 int lastRow) {
    return OpenThemeWithView(theme, TViewRect{firstCol, lastCol, firstRow, lastRow});
}

bool TMapExplorerForm::OpenTheme(const TQEV_Layer* theme) {
    return OpenThemeWithView(theme, std::nullopt);
}

bool TMapExplorerForm::OpenProperty(std::shared_ptr<TPropertyMap> property, int method, int classCount,
                                    const TRampRecord& ramp, const std::optional<TViewRect>& view) {
    RampCopy = ramp;
    RecreateManager();
    m_manager->SetNumClasses(classCount);
    m_manager->ApplyRamp(RampCopy);
    property->Theme().DefaultMethod = static_cast<std::uint8_t>(method);
    m_manager->Property = property;
    return OpenThemeWithView(&property->Theme(), view);
}

bool TMapExplorerForm::OpenThemeWithView(const TQEV_Layer* theme, const std::optional<TViewRect>& view) {
    CancelDrawing();
    ExtractedBytes = 0;
    TExtractionProgress progress(this, ExtractedBytes);
    TRasterLocation found;
    if (theme) {
        TRasterRequest request = RasterRequestOf(*theme);
        const TMapSettings settings = m_host.MapSettings();
        request.CacheFolder = settings.CacheFolder;
        request.RasterFile = settings.RasterFile;
        found = ResolveRasterFile(request, &progress);
        if (!found.File.isEmpty())
            m_host.RasterInUse(found.File);
    }
    progress.Close();
    const QString rasterPath = found.Path;
    if (rasterPath.isEmpty()) {
        // The user's own Cancel needs no message; a known cause is named.
        if (!found.Cancelled)
            Dialogs::Message(this, found.Message.isEmpty() ? QString(kRasterNotFoundMessage) : found.Message,
                             "Error", QMessageBox::Ok | QMessageBox::Cancel);
        return false;
    }
    m_manager->Theme = theme;
    m_manager->ThemeOpen = true;
    try {
        m_raster.reset();
        m_raster = TRasterSource::Open(rasterPath, theme->Bytes);
        m_view.SetGrid(m_raster->Grid().Cols, m_raster->Grid().Rows);
        m_manager->OpenRaster();
    } catch (...) {
        m_manager->ThemeOpen = false;
        throw;
    }
    const TRasterGrid& grid = m_raster->Grid();
    m_view.SetView(view.value_or(TViewRect{0, grid.Cols, 0, grid.Rows}));
    PrepareView();
    DrawIfFits();
    QString caption = theme->LayerName;
    if (!theme->Units.isEmpty())
        caption += " (" + theme->Units + ")";
    setWindowTitle(caption);
    LegendTreeView->scrollToTop();
    return true;
}

void TMapExplorerForm::PrepareView() {
    // A drawing in progress is of the bitmap replaced here: its picture is dropped.
    DropDrawing();
    // The legend first: its texts may widen it, which narrows the map the bitmap is made for.
    if (m_manager->ThemeOpen) {
        BuildLegendTree(*m_manager, *LegendTreeView);
        FitLegendPanel();
    }
    Image32View->setGeometry(0, 0, MapPanel->width(), MapPanel->height());
    // The map is drawn at device pixels: sharp on a screen of any pixel ratio. The view counts in
    // bitmap pixels; positions of the pointer are converted to them where they come in.
    const QSize size = Image32View->BitmapSize();
    m_view.SetOrigin(0, 0);
    m_view.SetTarget(size.width(), size.height());
    QImage bitmap(size, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    bitmap.setDevicePixelRatio(Image32View->PixelRatio());
    Image32View->Bitmap = std::move(bitmap);
    // Shown white at once: a view that does not fit draws nothing, and the old picture must not
    // stay on the screen while the readout already answers for the new view.
    Image32View->update();
    Marker.Forget();
    PlaceStopButton();
}

void TMapExplorerForm::PlaceStopButton() {
    const QRect image = Image32View->geometry();
    btnStop->move(image.right() + 1 - btnStop->width(), image.bottom() + 1 - btnStop->height());
    btnStop->raise();
}

void TMapExplorerForm::DrawIfFits() {
    if (m_view.FitView())
        DrawMap();
    else if (Drawing)
        EndDrawing(); // the drawing PrepareView dropped is not followed by another
}

void TMapExplorerForm::Redraw() {
    PrepareView();
    DrawIfFits();
    Image32View->show();
}

TViewRect TMapExplorerForm::GetView() const {
    return m_view.View();
}

void TMapExplorerForm::SetViewAndDraw(int col0, int col1, int row0, int row1) {
    m_view.SetView(col0, col1, row0, row1);
    PrepareView();
    DrawIfFits();
}

void TMapExplorerForm::RequestStop() {
    if (!Drawing)
        return;
    StopRequested = true;
    if (m_cancel)
        m_cancel->store(true);
}

TRenderSnapshot TMapExplorerForm::Snapshot(const TViewGeometry& view, QSize imageSize,
                                           qreal devicePixelRatio) {
    TQEVmanager& legend = *m_manager;
    TRenderSnapshot snapshot;
    snapshot.View = view;
    if (legend.RasterVisible && legend.ThemeOpen && m_raster) {
        snapshot.Raster = m_raster;
        snapshot.ColorTable = legend.RebuildColorTable();
    }
    snapshot.Overlays = legend.ShapeLayers;
    snapshot.ImageSize = imageSize;
    snapshot.DevicePixelRatio = devicePixelRatio;
    snapshot.BeforeRow = m_beforeRow;
    return snapshot;
}

void TMapExplorerForm::DrawMap() {
    DropDrawing();
    m_host.ShowStatusText("Drawing Map ...");
    StopRequested = false;
    Drawing = true;
    btnStop->show();
    // The tree was rebuilt as the view was prepared; its tips show the areas of this view.
    ShowViewClassAreas();
    const TRenderSnapshot snapshot =
        Snapshot(m_view, Image32View->Bitmap.size(), Image32View->Bitmap.devicePixelRatio());
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    // A watcher per drawing: an older drawing's result never arrives once a newer one started.
    m_watcher = std::make_unique<QFutureWatcher<TRenderResult>>();
    QFutureWatcher<TRenderResult>* watcher = m_watcher.get();
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher] { Guarded([this, watcher] { DrawingDone(watcher->result()); }, this); });
    connect(watcher, &QFutureWatcherBase::progressTextChanged, this,
            [this](const QString& status) { m_host.ShowStatusText(status); });
    watcher->setFuture(StartRenderMap(snapshot, m_cancel, RenderBands()));
}

void TMapExplorerForm::DropDrawing() {
    if (m_cancel)
        m_cancel->store(true);
    m_cancel.reset();
    if (m_watcher) {
        m_watcher->disconnect(this);
        // Deleted later: its finished signal may be on its way.
        m_watcher.release()->deleteLater();
    }
}

void TMapExplorerForm::CancelDrawing() {
    DropDrawing();
    if (Drawing)
        EndDrawing();
}

void TMapExplorerForm::DrawingDone(const TRenderResult& result) {
    m_cancel.reset();
    if (m_watcher)
        m_watcher.release()->deleteLater();
    // A stopped drawing shows the rows drawn so far; a finished one the whole map.
    if (result.Outcome != TRenderOutcome::Failed) {
        Image32View->Bitmap = result.Image;
        DrawScaleBar(Image32View->Bitmap, m_view);
        if (m_placeToMark) {
            const TPixel place = m_view.LonLatToPixel(m_placeToMark->Lon, m_placeToMark->Lat);
            Marker.Draw(Image32View->Bitmap, place.X, place.Y);
            m_placeToMark.reset();
        }
        Image32View->update();
    }
    EndDrawing();
    if (result.Error)
        std::rethrow_exception(result.Error);
}

QImage TMapExplorerForm::RenderPage(const TViewGeometry& view, QSize pageSize) {
    const std::atomic<bool> never{false};
    TRenderResult result = RenderMap(Snapshot(view, pageSize, 1), never, RenderBands());
    if (result.Error)
        std::rethrow_exception(result.Error);
    return result.Image;
}

void TMapExplorerForm::EndDrawing() {
    m_host.ShowStatusText({});
    Drawing = false;
    StopRequested = false;
    btnStop->hide();
    emit DrawingFinished();
    RefreshDataPoint();
}

void TMapExplorerForm::ShowView(const TViewRect& view) {
    m_view.SetView(view);
    PrepareView();
    DrawIfFits();
}

void TMapExplorerForm::ZoomInAt(int x, int y) {
    ShowView(::ZoomInAt(m_view, x, y));
}

void TMapExplorerForm::ZoomOutAt(int x, int y) {
    ShowView(::ZoomOutAt(m_view, x, y));
}

void TMapExplorerForm::ZoomAtCentre(bool in) {
    if (!m_manager->ThemeOpen || m_view.Scale() <= 0)
        return;
    const double halfWidth = (m_view.Col1() - m_view.Col0() + 1) * m_view.Scale() / 2;
    const double halfHeight = (m_view.Row1() - m_view.Row0() + 1) * m_view.Scale() / 2;
    const int x = m_view.OriginX() + int(halfWidth);
    const int y = m_view.OriginY() + int(halfHeight);
    if (in)
        ZoomInAt(x, y);
    else
        ZoomOutAt(x, y);
}

void TMapExplorerForm::ZoomToRectangle() {
    ShowView(::ZoomToRectangle(m_view, {RubberStart.x(), RubberStart.y()}, {RubberEnd.x(), RubberEnd.y()}));
}

void TMapExplorerForm::PanBy(int dx, int dy) {
    const std::optional<TPannedView> panned = ::PanBy(m_view, dx, dy);
    const TPannedView kept{m_view.View(), m_view.OriginX(), m_view.OriginY()};
    PrepareView();
    const TPannedView& next = panned ? *panned : kept;
    m_view.SetView(next.View);
    m_view.SetOrigin(next.OriginX, next.OriginY);
    // The scale of the last fit stays: a pan never changes the zoom.
    DrawMap();
}

bool TMapExplorerForm::GoTo(double lon, double lat, double spanDegrees) {
    const std::optional<TCellPoint> centre = m_view.LonLatToCell(lon, lat);
    if (!m_manager->ThemeOpen || !centre)
        return false;
    const double halfCols = spanDegrees / 2 * m_view.RasterCols() / 360.0;
    const double halfRows = spanDegrees / 2 * m_view.RasterRows() / 180.0;
    m_placeToMark = TLonLat{lon, lat};
    ShowCells({TruncToInt(std::floor(centre->Col - halfCols)), TruncToInt(std::ceil(centre->Col + halfCols)),
               TruncToInt(std::floor(centre->Row - halfRows)),
               TruncToInt(std::ceil(centre->Row + halfRows))});
    return true;
}

void TMapExplorerForm::ShowCells(const TViewRect& view) {
    ShowView(view);
    SynchronizeIfWanted();
}

void TMapExplorerForm::MarkPoint(int x, int y, TMarkAction action) {
    QImage& bitmap = Image32View->Bitmap;
    if (action == TMarkAction::Erase) {
        Marker.Erase(bitmap);
        Image32View->repaint();
        return;
    }
    Marker.Draw(bitmap, x, y);
    Image32View->repaint();
}

double TMapExplorerForm::ReadCellValue(TCellAddress address, double a, double b) const {
    if (!m_raster)
        return 0;
    if (address == TCellAddress::Pixel) {
        const TCellPoint cell = m_view.PixelToCell(TruncToInt(a), TruncToInt(b));
        return m_raster->ReadCell(cell.Col, cell.Row);
    }
    return m_raster->ReadCell(a, b);
}

bool TMapExplorerForm::InsideRaster(int col, int row) const {
    return col >= 0 && row >= 0 && col < m_view.RasterCols() && row < m_view.RasterRows();
}

QString TMapExplorerForm::CellValueText(int col, int row) const {
    // Beyond the raster the map shows no data, and so does the readout.
    if (!m_manager->ThemeOpen || !InsideRaster(col, row))
        return "-";
    const QString units = m_manager->Theme ? m_manager->Theme->Units : QString();
    return ShortestText(ReadCellValue(TCellAddress::Cell, col, row)) + " " + units;
}

void TMapExplorerForm::RestoreLegend(const TClassFields& classes, bool rasterVisible,
                                     const std::vector<TESRIShapeFile>& overlays) {
    m_manager->SetClasses(classes);
    m_manager->RasterVisible = rasterVisible;
    std::vector<TESRIShapeFile>& layers = m_manager->ShapeLayers;
    for (std::size_t i = 0; i < overlays.size(); ++i) {
        if (i == 0 && !layers.empty()) {
            layers[0].Color = overlays[0].Color;
            layers[0].Visible = overlays[0].Visible;
        } else {
            layers.push_back(overlays[i]);
        }
    }
    m_host.SetClassificationControls(classes.Method, m_manager->Classes().Count());
    Redraw();
}

QString TMapExplorerForm::PropertyValueText(int col, int row) const {
    const TPropertyMap* property = PropertyMap();
    if (!property || !m_manager->ThemeOpen || !InsideRaster(col, row))
        return {};
    return property->ValueText(static_cast<int>(ReadCellValue(TCellAddress::Cell, col, row)));
}

void TMapExplorerForm::SetCursorOfTool(int cursor) {
    Image32View->setCursor(MapCursor(cursor));
}

void TMapExplorerForm::SetTool(TMapTool tool) {
    Tool = tool;
    Image32View->setCursor(Qt::CrossCursor);
    switch (tool) {
    case mtZoomRectangle:
        RubberStart = RubberEnd = QPoint(0, 0);
        SetCursorOfTool(crZoomIn);
        break;
    case mtZoomIn:
        SetCursorOfTool(crZoomIn);
        break;
    case mtPan:
        SetCursorOfTool(crPan);
        break;
    case mtZoomOut:
        SetCursorOfTool(crZoomOut);
        break;
    case mtSmuOverview:
        SetCursorOfTool(crSummSelect);
        break;
    case mtSmuTable:
        SetCursorOfTool(crTableSelect);
        break;
    case mtViewAll:
        m_view.SetView(0, m_view.RasterCols(), 0, m_view.RasterRows());
        [[fallthrough]];
    case mtRedraw:
        Redraw();
        ResetTool();
        SynchronizeIfWanted();
        break;
    case mtNoAction:
        break;
    }
}

void TMapExplorerForm::ResetTool() {
    Dragging = false;
    if (!m_host.MapSettings().PersistentView) {
        Tool = mtNoAction;
        Image32View->setCursor(Qt::CrossCursor);
    }
}

void TMapExplorerForm::SynchronizeIfWanted() {
    if (m_host.MapSettings().SynchronizeWindows)
        m_host.SynchronizeViews(*this);
}

void TMapExplorerForm::btnStopClick() {
    if (!Drawing)
        return;
    RequestStop();
    ResetTool();
}

void TMapExplorerForm::Image32ViewMouseDown(Qt::MouseButton button, int x, int y) {
    if (Drawing) {
        if (button == Qt::RightButton) {
            RequestStop();
            ResetTool();
        }
        return;
    }
    if (button == Qt::RightButton)
        return;
    switch (Tool) {
    case mtZoomRectangle:
        Dragging = true;
        RubberStart = RubberEnd = QPoint(x, y);
        break;
    case mtZoomIn:
        ZoomInAt(x, y);
        break;
    case mtPan:
        Dragging = true;
        PanStart = QPoint(x, y);
        break;
    case mtZoomOut:
        ZoomOutAt(x, y);
        break;
    case mtSmuOverview:
        MarkPoint(x, y, TMarkAction::Draw);
        ShowSmuOverviewAt(x, y);
        break;
    case mtSmuTable:
        MarkPoint(x, y, TMarkAction::Draw);
        ShowSmuTableAt(x, y);
        break;
    default:
        break;
    }
}

void TMapExplorerForm::Image32ViewMouseMove(int x, int y) {
    if (Drawing || !m_manager->ThemeOpen)
        return;
    ReportDataPoint(x, y);
    if (Tool == mtZoomRectangle && Dragging) {
        RubberEnd = QPoint(x, y);
        Image32View->Rubber = QRect(QPoint(std::min(RubberStart.x(), x), std::min(RubberStart.y(), y)),
                                    QPoint(std::max(RubberStart.x(), x), std::max(RubberStart.y(), y)));
        Image32View->update();
    } else if (Tool == mtPan && Dragging) {
        // The map slides with the mouse; x and y are relative to the moving image.
        Image32View->move(Image32View->x() + Image32View->ToControl(x - PanStart.x()),
                          Image32View->y() + Image32View->ToControl(y - PanStart.y()));
    }
}

void TMapExplorerForm::ReportDataPoint(int x, int y) {
    const TCellIndex cell = m_view.PixelToCellIndex(x, y);
    const TLonLat lonLat = m_view.PixelToLonLat(x, y).value_or(TLonLat{});
    m_host.ShowDataPoint(cell.Col, cell.Row, lonLat.Lon, lonLat.Lat);
}

void TMapExplorerForm::RefreshDataPoint() {
    if (Drawing || !m_manager->ThemeOpen || !Image32View->underMouse())
        return;
    const QPointF at = Image32View->mapFromGlobal(QPointF(QCursor::pos()));
    if (Image32View->rect().contains(at.toPoint())) {
        const QPoint pixel = Image32View->BitmapPixelAt(at);
        ReportDataPoint(pixel.x(), pixel.y());
    }
}

void TMapExplorerForm::FitLegendPanel() {
    const int scrollBar = LegendTreeView->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QAbstractItemView& view = *LegendTreeView; // its column width hint is public there
    const int needed = view.sizeHintForColumn(0) + 2 * LegendTreeView->frameWidth() +
                       Panel->contentsMargins().left() + Panel->contentsMargins().right() + 4 + scrollBar;
    const int wanted = std::max(needed, kLegendWidth);
    // Only when the legend's needs changed: a width the user chose with the splitter stays.
    if (wanted == m_legendWidth)
        return;
    m_legendWidth = wanted;
    m_legendWish = std::max(m_legendWish, wanted);
    PlaceLegend();
}

void TMapExplorerForm::PlaceLegend() {
    const int width = std::min(m_legendWish, this->width() / 3);
    const int total = Splitter->width() - Splitter->handleWidth();
    if (Panel->width() != width && total > width)
        Splitter->setSizes({total - width, width});
}

void TMapExplorerForm::Image32ViewMouseUp(Qt::MouseButton button, int, int) {
    if (button == Qt::RightButton)
        return;
    // The drawing runs off the user-interface thread: the release of a click whose press started
    // a drawing is carried out at once. Only a drag that began on this map ends here.
    if (Tool == mtZoomRectangle && Dragging) {
        Image32View->Rubber.reset();
        Image32View->update();
        Dragging = false;
        ZoomToRectangle();
    } else if (Tool == mtPan && Dragging) {
        Dragging = false;
        PanBy(Image32View->ToBitmap(Image32View->x()), Image32View->ToBitmap(Image32View->y()));
    }
    SynchronizeIfWanted();
    ResetTool();
}

void TMapExplorerForm::ShowSmuOverviewAt(int x, int y) {
    const TCellIndex cell = m_view.PixelToCellIndex(x, y);
    if (m_manager->ThemeOpen && !InsideRaster(cell.Col, cell.Row))
        return; // a click on the white beyond the raster: no unit there
    m_host.ShowSmuOverview(SmuIdOf(ReadCellValue(TCellAddress::Cell, cell.Col, cell.Row)));
}

void TMapExplorerForm::ShowSmuTableAt(int x, int y) {
    const TCellIndex cell = m_view.PixelToCellIndex(x, y);
    if (m_manager->ThemeOpen && !InsideRaster(cell.Col, cell.Row))
        return;
    const int smu = SmuIdOf(ReadCellValue(TCellAddress::Cell, cell.Col, cell.Row));
    if (smu != kNoDataValue)
        m_host.ShowSmuTable(smu);
}

void TMapExplorerForm::MapPanelResize() {
    Image32View->setGeometry(0, 0, MapPanel->width(), MapPanel->height());
    PlaceStopButton();
    // Redrawn once the user has finished sizing the window.
    m_resizeTimer.start();
}

void TMapExplorerForm::ResizeEnded() {
    // A picture made at the panel's present size stays, as does a drawing of it under way or
    // stopped: the size came back, or the bitmap was prepared after the last change.
    const QImage& bitmap = Image32View->Bitmap;
    if (bitmap.size() == Image32View->BitmapSize() &&
        qFuzzyCompare(bitmap.devicePixelRatio(), Image32View->PixelRatio()))
        return;
    RequestStop();
    Redraw();
}

void TMapExplorerForm::WatchParent() {
    QWidget* parent = parentWidget();
    auto* sub = qobject_cast<QMdiSubWindow*>(parent);
    if (sub == m_watchedParent)
        return;
    if (m_watchedParent)
        m_watchedParent->removeEventFilter(this);
    m_watchedParent = sub;
    if (sub) {
        sub->installEventFilter(this);
        if (sub->objectName().isEmpty())
            sub->setObjectName("MapExplorerForm");
    }
}

bool TMapExplorerForm::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange)
        WatchParent();
    const bool handled = QWidget::event(e);
    // The splitter has its new size by now (the layout handles the event first).
    if (e->type() == QEvent::Resize)
        PlaceLegend();
    return handled;
}

void TMapExplorerForm::PrepareClose() {
    // A closing window draws no more: its drawing is cancelled and its picture dropped, and a
    // redraw still waiting for the end of a resize is dropped too.
    m_resizeTimer.stop();
    CancelDrawing();
}

void TMapExplorerForm::closeEvent(QCloseEvent* e) {
    if (!m_watchedParent) {
        PrepareClose();
        SaveWindowPlacement(*this);
    }
    QWidget::closeEvent(e);
}

void TMapExplorerForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!m_shownOnce) {
        m_shownOnce = true;
        ResetTool();
        PrepareView();
    }
}

bool TMapExplorerForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_watchedParent && e->type() == QEvent::Close) {
        PrepareClose();
        Guarded([this] { SaveWindowPlacement(*m_watchedParent); }, this);
        return false;
    }
    if (watched == MapPanel && e->type() == QEvent::Resize) {
        MapPanelResize();
        return false;
    }
    if (watched == LegendTreeView && e->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape && Drawing) {
            RequestStop();
            return true;
        }
        return false;
    }
    if (watched == Image32View) {
        switch (e->type()) {
        case QEvent::Leave:
            Guarded([this] { m_host.ClearDataPoint(); }, this);
            return false;
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(e);
            const QPoint p = Image32View->BitmapPixelAt(me->position());
            Guarded([&] { Image32ViewMouseDown(me->button(), p.x(), p.y()); }, this);
            return true;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            const QPoint p = Image32View->BitmapPixelAt(me->position());
            Guarded([&] { Image32ViewMouseMove(p.x(), p.y()); }, this);
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            const QPoint p = Image32View->BitmapPixelAt(me->position());
            Guarded([&] { Image32ViewMouseUp(me->button(), p.x(), p.y()); }, this);
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TMapExplorerForm::SetViewStatistics(const TCellWindow& view, const TAreaStatistics& statistics) {
    QStringList classes;
    for (const TAreaRow& row : statistics.Classes)
        classes << row.Name;
    m_viewClassAreas = TViewClassAreas{view, classes, statistics};
    ShowViewClassAreas();
}

void TMapExplorerForm::ShowViewClassAreas() {
    if (!m_viewClassAreas || VisibleCells(m_view) != m_viewClassAreas->View)
        return;
    const TClassFields& classes = m_manager->Classes();
    QStringList names;
    for (int i = 0; i < classes.Count(); ++i)
        names << classes.ClassLabels[static_cast<std::size_t>(i)].trimmed();
    if (names == m_viewClassAreas->Classes)
        ShowClassAreaTips(*LegendTreeView, m_viewClassAreas->Statistics);
}
