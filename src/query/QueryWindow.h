#pragma once
// TQueryWindow: selects soil mapping units by an SQL condition on the SMU table or on the
// dominant soil's first depth layer, and has the map draw them in a chosen colour. The condition
// is typed, or built by inserting field names and operators. A query runs apart from the
// user-interface thread; Cancel stops it.

#include "query/QueryText.h"

#include <QDialog>
#include <array>
#include <memory>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class TReportHost;
class TSmuQuery;

class TQueryWindow : public QDialog {
    Q_OBJECT
public:
    explicit TQueryWindow(TReportHost& host, QWidget* parent = nullptr);
    // A query still running is cancelled; its result is dropped.
    ~TQueryWindow() override;

    TQueryTable Table() const;
    // Inserts a field name or an operator into the condition at the caret or over the selection.
    void InsertToken(const QString& token);
    // Starts the query; the selection, the map and the records label follow when it is done.
    void btnRunClick();
    void btnCancelClick();
    bool QueryRunning() const { return m_query != nullptr; }

    QGroupBox* GroupBox1 = nullptr;
    QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr;
    QLabel* Label3 = nullptr;
    QListWidget* lstFields = nullptr;
    // "=", "<", ">", "<>", "<=", ">=", the double quote, "And", "Or", "Not", "Like".
    std::array<QPushButton*, 11> OperatorButtons{};
    QPushButton* btnEqual = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ColorBox = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* edtSQL = nullptr;
    QLabel* lblRecords = nullptr;
    QPushButton *btnClear = nullptr, *btnCancel = nullptr, *btnClose = nullptr, *btnRun = nullptr;
    QPushButton* btnSaveSelection = nullptr;

    // Writes the selected units (id, dominant soil, its share, area) to a CSV file the user
    // chooses; when their areas are still being counted, once they are.
    void btnSaveSelectionClick();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void RadioButtonClick();
    void lstFieldsDblClick();
    void btnOperationClick(const QString& caption);
    void ColorBoxChange(int index);
    void btnClearClick();
    void btnCloseClick();
    void SelectColor(int selectColor);
    struct TQueryOutcome;
    void QueryDone(const TQueryOutcome& outcome);
    void SetBusy(bool busy);
    // "N units selected", with their area on the world map when it is known.
    void ShowSelectedCount();
    void WorldAreasReady();
    void SaveSelection(const QString& path);

    TReportHost& m_host;
    // The caret and selection of the condition when it lost the focus to a button or the list,
    // which would otherwise forget the selection.
    std::optional<TConditionEdit> m_editBeforeFocusLoss;
    // The query running, with the table and condition it was started with.
    std::shared_ptr<TSmuQuery> m_query;
    TQueryTable m_queryTable = TQueryTable::Smu;
    QString m_queryCondition;
    QString m_recordsText;     // what the records label said before the query
    int m_selectedCount = -1;  // rows of the last run; -1 before any
    QString m_pendingSavePath; // a save waiting for the areas
};
