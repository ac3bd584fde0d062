#pragma once
// The "Export" window: writes a map of the catalogue (or an open property map) over an area in
// degrees to a raster file that GIS software reads: the SMU ids, the legend classes or the
// property values, as GeoTIFF, BIL, IDRISI or ASCII grid, optionally with the legend's colours.
// The writing runs in the background with a progress window that can cancel it.

#include "raster/BackgroundJob.h"
#include "raster/CellClasses.h"
#include "raster/GridExtent.h"
#include "raster/RasterExport.h"
#include "raster/RasterSource.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QProgressDialog;
class QPushButton;
struct TQEV_Layer;

// One map the window can write.
struct TExportChoice {
    QString Title;                               // as "Library" lists it
    const TQEV_Layer* Theme = nullptr;           // the theme whose raster it shows
    std::shared_ptr<const TRasterSource> Raster; // null: found (or extracted) when it is written
    TCellClasses Classes;                        // its legend; with values for a property map
};

// What the frame gives the window.
struct TExportContext {
    std::vector<TExportChoice> Choices;
    int Current = 0; // the choice the active map shows
    // The cells the active map shows, on a grid of GridCols x GridRows; none without a map.
    std::optional<TCellWindow> ViewCells;
    int GridCols = kWorldCols;
    int GridRows = kWorldRows;
    // Finds (or extracts) and opens a theme's raster; null when it cannot be had.
    std::function<std::shared_ptr<const TRasterSource>(const TQEV_Layer&)> OpenRaster;
};

class TExportForm : public QDialog {
    Q_OBJECT
public:
    explicit TExportForm(TExportContext context, QWidget* parent = nullptr);
    ~TExportForm() override;

    QComboBox* cmbLibrary;
    QListWidget* lstLayers;
    QGroupBox* rgFormat;
    QButtonGroup* FormatButtons;
    QCheckBox* chkLegend;
    // The area: north, south, west and east edges in degrees.
    QLineEdit *edtNorth, *edtSouth, *edtWest, *edtEast;
    QPushButton* btnExport;
    QPushButton* btnClose;

    void cmbLibraryChange();
    void btnExportClick();

    // The area the boxes hold; nothing, and what is wrong, when they hold none.
    std::optional<TDegreeExtent> Extent(QString& problem) const;
    void SetExtent(const TDegreeExtent& extent);
    TExportLayer Layer() const;
    TExportFormat Format() const;
    bool Exporting() const { return m_job.Running(); }
    QProgressDialog* ProgressWindow() const { return m_progress; }

public slots:
    void reject() override;

private:
    void Finished(TBackgroundJob::TOutcome outcome, const QString& error, const QString& path);
    void CloseProgress();

    TExportContext m_context;
    TBackgroundJob m_job;
    QProgressDialog* m_progress = nullptr;
};
