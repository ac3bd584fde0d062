#pragma once
// TQueryWindow: selects soil mapping units by an SQL condition on the SMU table or on the
// dominant soil's first depth layer, and has the map draw them in a chosen colour. The condition
// is typed, or built by inserting field names and operators.

#include "query/QueryText.h"

#include <QDialog>
#include <array>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class TReportHost;

class TQueryWindow : public QDialog {
    Q_OBJECT
public:
    explicit TQueryWindow(TReportHost& host, QWidget* parent = nullptr);

    TQueryTable Table() const;
    // Inserts a field name or an operator into the condition at the caret or over the selection.
    void InsertToken(const QString& token);
    void btnRunClick();

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
    QPushButton *btnClear = nullptr, *btnClose = nullptr, *btnRun = nullptr;

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

    TReportHost& m_host;
    // The caret and selection of the condition when it lost the focus to a button or the list,
    // which would otherwise forget the selection.
    std::optional<TConditionEdit> m_editBeforeFocusLoss;
};
