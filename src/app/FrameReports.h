#pragma once
// The frame's report and query windows: one details table, one overview and one query window,
// each created on first use and hidden, not destroyed, when closed. Also the host through which
// they reach the database and the frame's active map window.

#include "reports/ReportHost.h"

#include <QPointer>
#include <QString>

class TQueryWindow;
class TSoilPropsForm;
class TTAMOForm;
class TTableForm;

class TFrameReports : public TReportHost {
public:
    explicit TFrameReports(TTAMOForm& frame);
    // The windows go with this object, before the database they read from.
    ~TFrameReports() override;
    TFrameReports(const TFrameReports&) = delete;
    TFrameReports& operator=(const TFrameReports&) = delete;

    // The SMU table tool: shows the window when the unit could be shown.
    bool ShowSmuTable(int smuId);
    // The SMU overview tool: shows the window when the unit could be shown.
    void ShowSmuOverview(int smuId);
    // Data Query: shows the one query window, as it was left.
    void ShowQueryWindow();

    // The windows; null until first used.
    TTableForm* TableForm() const;
    TSoilPropsForm* SoilPropsForm() const;
    TQueryWindow* QueryWindow() const;

    TTAMO& Database() override;
    TPreferences& Preferences() override;
    void SelectionChanged() override;
    void EraseClickMarker() override;
    TWorldAreas* WorldAreas() override;
    std::shared_ptr<const TRasterSource> ActiveRaster() override;

private:
    // A new window, given the frame's menu shortcuts.
    template <class TWindow> TWindow* Shared(TWindow* window) const;

    TTAMOForm& m_frame;
    QPointer<TTableForm> m_tableForm;
    QPointer<TSoilPropsForm> m_soilPropsForm;
    QPointer<TQueryWindow> m_queryWindow;
};
