#pragma once
// The map window: one theme of the soil raster in a child window of the frame, with its view,
// the mouse tools (zoom, pan, zoom rectangle, the SMU click tools), the click marker, the
// progressive drawing that can be stopped, and the legend tree beside the map.

#include "map/Image32View.h"
#include "map/MapHost.h"
#include "map/MapRenderJob.h"
#include "map/MapTool.h"
#include "raster/AreaStatistics.h"
#include "raster/RasterSource.h"
#include "raster/ViewGeometry.h"
#include "themes/ColorRampRecord.h"
#include "themes/LegendHost.h"
#include "themes/QEVmanager.h"

#include <QFutureWatcher>
#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;
class QSplitter;
class QTreeWidget;
class TLegendPanel;
class TPropertyMap;

enum class TMarkAction { Draw, Erase };
enum class TCellAddress { Cell, Pixel };

// The map window: it owns the view, the raster it shows and its legend model, and hears from the
// model what changed (it is the model's host). Positions (x, y) given to it are bitmap pixels, which
// are device pixels: twice the control's positions at a device pixel ratio of 2.
class TMapExplorerForm : public QWidget, private TLegendHost {
    Q_OBJECT
public:
    explicit TMapExplorerForm(TMapHost& host, QWidget* parent = nullptr);
    ~TMapExplorerForm() override;

    // Opens a theme with the view (firstCol..lastCol, firstRow..lastRow), or with its whole grid.
    // The grid is the raster's own (its header, or the world grid). False (after the "not found"
    // message) when the raster cannot be used.
    bool OpenTheme(const TQEV_Layer* theme, int firstCol, int lastCol, int firstRow, int lastRow);
    bool OpenTheme(const TQEV_Layer* theme);
    // Opens a property map on the raster of its theme record, its values divided by `method` into
    // `classCount` classes coloured from `ramp`, at `view` or at the whole grid. The map and its
    // legend are the window's from then on. False as OpenTheme.
    bool OpenProperty(std::shared_ptr<TPropertyMap> property, int method, int classCount,
                      const TRampRecord& ramp, const std::optional<TViewRect>& view = std::nullopt);
    // The property map shown; null for a soil theme.
    const TPropertyMap* PropertyMap() const { return m_manager->Property.get(); }
    // For a property map, its value of the unit at (col, row) with the unit ("N.A" without one);
    // empty for a soil theme and beyond the raster.
    QString PropertyValueText(int col, int row) const;
    // Takes the legend a map had in an earlier run: its classes, whether the raster is shown, and
    // its overlays (the world outline stays the file the settings name, with the stored colour
    // and visibility); then redraws.
    void RestoreLegend(const TClassFields& classes, bool rasterVisible,
                       const std::vector<TESRIShapeFile>& overlays);
    // A new legend model (raster shown, no theme open), before another theme is opened here.
    void RecreateManager();
    void SetTool(TMapTool tool);
    void ResetTool();
    // Prepare, fit and draw, then show the map.
    void Redraw();
    TViewRect GetView() const;
    void SetViewAndDraw(int col0, int col1, int row0, int row1);
    void MarkPoint(int x, int y, TMarkAction action);
    bool IsDrawing() const { return Drawing; }
    // The cell lies in the raster grid (the map beyond it is white, no data).
    bool InsideRaster(int col, int row) const;
    // The readout text of a cell: "-" without a theme or beyond the raster, else the value and
    // the theme's units.
    QString CellValueText(int col, int row) const;
    double ReadCellValue(TCellAddress address, double a, double b) const;

    // The legend tree of an open theme is rebuilt and takes the width its texts need; then the
    // bitmap takes the map panel's size, white, and the image control is put back in place.
    void PrepareView();
    // Starts drawing the raster at the current view, then the overlays, off the user-interface
    // thread; the finished picture replaces the map's bitmap.
    // A drawing in progress is cancelled first.
    void DrawMap();
    // The picture of `view` (a view of this window's raster: the page of a print) at `pageSize`,
    // drawn now; the window's own view and bitmap are not touched.
    QImage RenderPage(const TViewGeometry& view, QSize pageSize);
    // Tests serve the rows of later drawings slowly through this (called from the painting threads).
    void SetRowGate(std::function<void(int row)> gate) { m_beforeRow = std::move(gate); }
    void ZoomInAt(int x, int y);
    void ZoomOutAt(int x, int y);
    // Zoom In or Zoom Out at the centre of the view shown (the + and - keys).
    void ZoomAtCentre(bool in);
    void ZoomToRectangle();
    // The map moved with a pan drag by (dx, dy) pixels: the view follows by the same distance.
    void PanBy(int dx, int dy);
    // Shows the cells (ends inclusive; fitted to the raster and the window), and the other windows
    // follow when they are synchronised.
    void ShowCells(const TViewRect& view);
    // Shows `spanDegrees` of latitude and longitude around (lon, lat) and marks that point once the
    // map is drawn. False (the view unchanged) when no theme is open.
    bool GoTo(double lon, double lat, double spanDegrees);
    // Ends the drawing in progress at its next row (the Stop button, the right mouse button, Esc);
    // the rows drawn so far are shown.
    void RequestStop();

    // The legend panel's operations, which the frame's legend commands, colour-ramp box and
    // classification command call (defined with the panel).
    void SelectAllClasses();
    void SelectNoClasses();
    void InvertClassSelection();
    void ApplyColourRamp(const TRampRecord& ramp);
    // Classifies the legend anew by `method` into `classCount` classes and redraws.
    void Reclassify(int method, int classCount);
    bool ShowClassification();
    TLegendPanel& LegendPanel() { return *m_legendPanel; }

    TQEVmanager& Manager() { return *m_manager; }
    const TQEVmanager& Manager() const { return *m_manager; }
    // The view shown: which cells, at what scale.
    const TViewGeometry& View() const { return m_view; }
    // The raster shown; null before a theme is open.
    const TRasterSource* Raster() const { return m_raster.get(); }
    // The same, shared with work that outlives a drawing (statistics, exports).
    std::shared_ptr<const TRasterSource> SharedRaster() const { return m_raster; }
    // The class areas of the cells `view` of this window's raster, as the statistics counted them:
    // the legend's tool tips show them while the window shows those cells with the same classes.
    void SetViewStatistics(const TCellWindow& view, const TAreaStatistics& statistics);
    TMapHost& Host() { return m_host; }

    // Appends the shapefile at `path` to this window's overlays (drawn from the next drawing on);
    // false, after a message naming the file and the reason, when it cannot be used.
    bool AddShapeLayer(const QString& path);

    // Controls.
    QWidget* Panel = nullptr;
    QSplitter* Splitter = nullptr;
    QFrame* MapPanel = nullptr;
    QLabel* Img32Legend = nullptr;
    QTreeWidget* LegendTreeView = nullptr;
    TImage32View* Image32View = nullptr;
    QPushButton* btnStop = nullptr;

    // State.
    TMapTool Tool = mtNoAction;
    TRampRecord RampCopy{};
    int RampIndex = 0; // the frame's ramp RampCopy came from, which its ramp box shows
    QPoint RubberStart;
    QPoint RubberEnd;
    QPoint PanStart;
    bool Dragging = false;
    bool StopRequested = false;
    bool Drawing = false;
    TClickMarker Marker;
    long long ExtractedBytes = 0; // bytes delivered by this window's extraction

signals:
    // A drawing (or a run of nested drawings) has ended.
    void DrawingFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The legend model's host: the frame's lookup and selection colour, the raster's histogram,
    // and the frame's controls following the classification.
    const TSmuLookup* SmuLookup() const override;
    QRgb SelectionColor() const override;
    std::optional<TCellHistogram> CellHistogram() override;
    void ClassificationChanged(int method, int classCount) override;
    void LegendReset() override;

    void Image32ViewMouseDown(Qt::MouseButton button, int x, int y);
    void Image32ViewMouseMove(int x, int y);
    // The readout for the pixel under the pointer.
    void ReportDataPoint(int x, int y);
    // After a drawing the map under a resting pointer has changed: report it afresh.
    void RefreshDataPoint();
    // Widens the legend panel where its texts need more than its usual width.
    void FitLegendPanel();
    // Gives the legend the width it wants, within a third of the window: a narrower window narrows
    // it, a wider one gives its width back.
    void PlaceLegend();
    void Image32ViewMouseUp(Qt::MouseButton button, int x, int y);
    void btnStopClick();
    void MapPanelResize();
    void ResizeEnded();
    // The window closes: its drawing is cancelled.
    void PrepareClose();
    void PlaceStopButton();
    void ShowSmuOverviewAt(int x, int y);
    void ShowSmuTableAt(int x, int y);
    void DrawIfFits();
    void SynchronizeIfWanted();
    void SetCursorOfTool(int cursor);
    // The view the tools chose: set, prepared, and drawn when it fits.
    void ShowView(const TViewRect& view);
    // Cancels the drawing in progress and drops its picture; CancelDrawing also ends the drawing
    // state (no other drawing follows).
    void DropDrawing();
    void CancelDrawing();
    TRenderSnapshot Snapshot(const TViewGeometry& view, QSize imageSize, qreal devicePixelRatio);
    void DrawingDone(const TRenderResult& result);
    void EndDrawing();
    void WatchParent();
    bool OpenThemeWithView(const TQEV_Layer* theme, const std::optional<TViewRect>& view);
    // The class areas in the legend's tool tips, when they were counted for what is shown.
    void ShowViewClassAreas();

    TMapHost& m_host;
    std::unique_ptr<TQEVmanager> m_manager;
    TViewGeometry m_view;
    std::shared_ptr<const TRasterSource> m_raster;
    TCancelFlag m_cancel; // of the drawing in progress
    std::unique_ptr<QFutureWatcher<TRenderResult>> m_watcher;
    std::function<void(int row)> m_beforeRow;
    TLegendPanel* m_legendPanel = nullptr; // owned as a Qt child
    bool m_shownOnce = false;
    QWidget* m_watchedParent = nullptr;
    int m_legendWidth = 0; // the width the legend's texts need, as FitLegendPanel last found it
    int m_legendWish = 0;  // the width of the legend when the window has room: its texts' or the user's
    QTimer m_resizeTimer;
    std::optional<TLonLat> m_placeToMark; // marked when the drawing under way ends
    struct TViewClassAreas {
        TCellWindow View;
        QStringList Classes; // the class names they were counted for
        TAreaStatistics Statistics;
    };
    std::optional<TViewClassAreas> m_viewClassAreas;
};
