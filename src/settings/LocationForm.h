#pragma once
// The dialog in which the user points the program at its data files: the attribute database, the
// raster and the default shape overlay. It edits the preferences record directly.

#include "settings/DemoDataMaker.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct TPreferences;

class TLocationForm : public QDialog {
    Q_OBJECT
public:
    explicit TLocationForm(TPreferences& prefs, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* edtAttributes = nullptr;
    QPushButton* btnAttrib = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* edtRaster = nullptr;
    QPushButton* btnRaster = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edtShape = nullptr;
    QPushButton* btnShape = nullptr;
    QCheckBox* chkDelete = nullptr;
    QPushButton* btnDemoData = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* OKBtn = nullptr;

    // What "Make Demo Data" runs; tests give a smaller set or a stand-in.
    TDemoDataMaker::TCommand DemoDataCommand = DefaultDemoDataCommand();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void Browse(QLineEdit* edit, QString& preference, const QString& title, const QString& filter);
    void OKBtnClick();
    void btnDemoDataClick();
    static void ShowPath(QLineEdit* edit, const QString& path);
    // The database label names the kind of the chosen file (Access or SQLite).
    void ShowDatabaseKind();

    TPreferences& m_prefs;
};

// Creates the dialog on `prefs`, shows it modally and answers true when it ended with OK (the
// caller then builds its connection text from the new ATTRIB_MDB).
bool ShowDataLocation(TPreferences& prefs, QWidget* parent);
