#pragma once
// TSoilPropsForm: a compact, tabbed view of the layer records of one soil mapping unit. One tab
// per record on the left; the chosen record's attributes in four two-column grids on two pages.

#include "reports/SoilOverviewContent.h"

#include <QDialog>
#include <array>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QPushButton;
class QTabWidget;
class QTableWidget;
class TReportHost;

// Tabs down the left edge, captioned 1, 2, ...; when they do not fit the height they continue in
// further columns, so that every record is one click away.
class TRecordTabs : public QWidget {
    Q_OBJECT
public:
    explicit TRecordTabs(QWidget* parent = nullptr);
    void SetCount(int count);
    int Count() const;
    int CurrentIndex() const;
    // Selects a tab without reporting it as the user's change.
    void SetCurrentIndex(int index);
    // Tabs that fit one column in `height` pixels.
    static int TabsPerColumn(int height);
    static constexpr int kTabWidth = 26;
    static constexpr int kTabHeight = 20;

signals:
    // The user chose another tab.
    void CurrentChanged(int index);

private:
    QButtonGroup* m_group = nullptr;
    QGridLayout* m_layout = nullptr;
    int m_height = 0;
};

class TSoilPropsForm : public QDialog {
    Q_OBJECT
public:
    explicit TSoilPropsForm(TReportHost& host, QWidget* parent = nullptr);

    // Shows the layer records of the unit, the first one selected. False, after the "Error"
    // message, when the database holds none; the window then keeps what it showed.
    bool ShowOverview(int smuId);
    // Fills the value column of the four grids from layer record `record` (from 1).
    void FillRecord(int record);
    const TSoilOverviewContent& Content() const { return m_content; }

    TRecordTabs* TabControl1 = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr;
    QTableWidget *GE_StringGrid1 = nullptr, *GE_StringGrid2 = nullptr;
    QTableWidget *PR_StringGrid1 = nullptr, *PR_StringGrid2 = nullptr;
    QWidget* Panel2 = nullptr;
    QCheckBox* chkDomains = nullptr;
    QPushButton* btnClose = nullptr;

    // The grids in the order of TOverviewGrid.
    std::array<QTableWidget*, TSoilOverviewContent::kGridCount> Grids() const;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void TabControl1Change();
    void chkDomainsClick();
    void FitToTabs();

    TReportHost& m_host;
    TSoilOverviewContent m_content;
    bool m_suppressDomains = false;
};
