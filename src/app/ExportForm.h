#pragma once
// The "Export" window: the choice of a theme, a file format, the legend option and the area to
// export. Export itself is not available yet; the window only holds the choices.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class TQEVLibraryManager;

class TExportForm : public QDialog {
    Q_OBJECT
public:
    // `library` fills the library and layer choices; null leaves them empty.
    explicit TExportForm(const TQEVLibraryManager* library, QWidget* parent = nullptr);

    QComboBox* cmbLibrary;
    QListWidget* lstLayers;
    QGroupBox* rgFormat;
    QButtonGroup* FormatButtons;
    QCheckBox* chkLegend;
    // The area: west, east, south and north edges in degrees.
    QLineEdit *edtWest, *edtEast, *edtSouth, *edtNorth;
    QPushButton* btnExport;
    QPushButton* btnClose;

    void cmbLibraryChange();
    void btnExportClick();

private:
    const TQEVLibraryManager* m_library;
};
