#pragma once
// The classification dialog "Classification": edits the legend of one map window (theme title,
// method, class count, and per class its bounds, caption, colour and visibility) on a copy of the
// legend's classes, which Apply and OK hand back to the legend model whole before it reclassifies.

#include "themes/QEVmanager.h"

#include <QDialog>
#include <QRgb>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;

// What the dialog needs of the map window whose legend it edits.
class TClassificationTarget {
public:
    virtual ~TClassificationTarget() = default;
    virtual void Redraw() = 0;
};

// A 17 x 17 swatch filled with one colour and outlined in black.
class TColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit TColorSwatch(QWidget* parent = nullptr);
    QRgb Color = 0xFF000000;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The controls of one class row; they are destroyed with the record.
struct TLegendControls {
    TLegendControls(QWidget* parent, int row);
    ~TLegendControls();
    TLegendControls(const TLegendControls&) = delete;
    TLegendControls& operator=(const TLegendControls&) = delete;

    int Row;
    std::unique_ptr<QLabel> lblNumber;
    std::unique_ptr<QCheckBox> chkVisible;
    std::unique_ptr<QLineEdit> edtFrom;
    std::unique_ptr<QLineEdit> edtTo;
    std::unique_ptr<QLineEdit> edtCaption;
    std::unique_ptr<TColorSwatch> shpColor;
    std::unique_ptr<QPushButton> btnColor;
};

class TfrmClassification : public QDialog {
    Q_OBJECT
public:
    explicit TfrmClassification(QWidget* parent = nullptr);
    ~TfrmClassification() override;

    // Takes the map window (may be null) and its legend model, fills the controls, and from then
    // on lets a change of the class count act.
    void OpenClassification(TClassificationTarget* map, TQEVmanager& legend);

    void LoadFromLegend();
    void StoreToLegend();
    void BuildRows();
    void ReadManualBreaks();

    void btnApplyClick();
    void btnOKClick();
    void SortMethodComboChange(int index);
    void SpinEditChange();

    const TClassFields& Copy() const { return m_copy; }
    const std::vector<std::unique_ptr<TLegendControls>>& Rows() const { return m_rows; }

    QLabel* Label1 = nullptr;
    QLineEdit* edtTitle = nullptr;
    QLabel *lblClassMEthod = nullptr, *lblNrClasses = nullptr, *lblMin = nullptr, *lblMax = nullptr;
    QComboBox* SortMethodCombo = nullptr;
    QSpinBox* SpinEdit = nullptr;
    QLineEdit *EdtMinimum = nullptr, *EdtMaximum = nullptr;
    QScrollArea* pnlLegend = nullptr;
    QPushButton *btnCancel = nullptr, *btnOK = nullptr, *btnApply = nullptr;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyToLegend();
    void ShowMethod(int method);
    void PickRowColor(int row);

    TClassificationTarget* m_map = nullptr;
    TQEVmanager* m_legend = nullptr;
    TClassFields m_copy; // the legend's classes as edited here, handed back whole
    std::vector<std::unique_ptr<TLegendControls>> m_rows;
    QWidget* m_rowsHolder = nullptr;
    // Set from creation to the end of OpenClassification: filling the controls does not act.
    bool m_startingUp = true;
};
