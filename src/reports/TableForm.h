#pragma once
// TTableForm: everything the database holds about one soil mapping unit. A header with the
// unit's facts, and a grid with one column per component soil: its general rows and its seven
// depth layers, each opened by a grey separator row. The table can be saved as CSV, the unit
// highlighted on the map, and coded values shown as codes or as their texts ("Domains").

#include "reports/SmuTableContent.h"

#include <QWidget>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
class TReportHost;
class TSmuGridModel;

// Whether ShowSMU adds the unit to the list of selected SMUs.
enum class TAddToList { No, Yes };

class TTableForm : public QWidget {
    Q_OBJECT
public:
    explicit TTableForm(TReportHost& host, QWidget* parent = nullptr);
    ~TTableForm() override;

    // Shows the unit. False, after the "Error" message, when the database holds no layer rows
    // for it; the grid then keeps what it showed.
    bool ShowSMU(int smuId, TAddToList add);
    void BuildGrid();
    void FillValues();

    // The id most recently passed to ShowSMU (also when it failed); Highlight selects it.
    int CurrentSmu() const { return m_currentSmu; }
    const TSmuTableContent& Content() const { return m_content; }
    TDecode Decode() const;

    // Controls.
    QWidget* Panel1 = nullptr;
    QLabel *lblCover = nullptr, *lblCov = nullptr;
    QLabel *lblMu_global = nullptr, *lblmu_glob = nullptr;
    QLabel *Label11 = nullptr, *lblWRB2 = nullptr;
    QLabel *Label2 = nullptr, *lblOXU90 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cmbSMUs = nullptr;
    QTableWidget* StringGridHeader = nullptr;
    QTableView* StringGrid = nullptr;
    QWidget* Panel = nullptr;
    QCheckBox* chkDomains = nullptr;
    QPushButton *btnCopy = nullptr, *btnHighlight = nullptr, *btnClose = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void cmbSMUsChange(int index);
    void chkDomainsClick();
    void btnHighlightClick();
    void btnCopyClick();
    void btnCloseClick();
    void FormResize();
    void PanelResize();
    void Panel1Resize();
    void PlaceGridHeader();
    void FitColumns();

    TReportHost& m_host;
    TSmuGridModel* m_model = nullptr;
    TSmuTableContent m_content;
    // The rows ShowSMU rendered ahead, taken by the next FillValues.
    std::optional<std::vector<QStringList>> m_rendered;
    TDecode m_renderedDecode = TDecode::Yes;
    int m_currentSmu = 0;
    bool m_suppressDomains = false;
    bool m_columnsSizedByUser = false; // the user dragged a column line: the widths are theirs
    int m_valueLeft = 188;
};
