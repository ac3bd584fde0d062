#include "settings/LocationForm.h"

#include "common/DataLocations.h"
#include "common/DatabaseKind.h"
#include "common/Dialogs.h"
#include "common/Guarded.h"
#include "settings/DemoDataForm.h"
#include "settings/Preferences.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
// Both kinds of attribute database at once first, so that the file in use is listed whichever it
// is; then each kind on its own.
constexpr char kDatabaseFilter[] = "TAMO Attribute databases | *.MDB;*.SQLITE;*.DB|"
                                   "Microsoft Access Files | *.MDB|SQLite databases | *.SQLITE;*.DB";

// The database label names the kind of the file chosen.
QString DatabaseLabel(const QString& path) {
    switch (DetectDatabaseKind(path)) {
    case TDatabaseKind::Access:
        return "TAMO Attribute database (Access file)";
    case TDatabaseKind::SQLite:
        return "TAMO Attribute database (SQLite file)";
    case TDatabaseKind::Unknown:
        break;
    }
    return "TAMO Attribute database (Access or SQLite file)";
}
} // namespace

TLocationForm::TLocationForm(TPreferences& prefs, QWidget* parent) : QDialog(parent), m_prefs(prefs) {
    setObjectName("LocationForm");
    setWindowTitle("TAMO data locations");
    setFixedSize(310, 191);
    // An 8-point font keeps the fields, their labels and the long check box text within the
    // dialog's 310 pixels in most platform fonts.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    const auto label = [this](const char* name, const QString& text, int y) {
        auto* result = new QLabel(text, this);
        result->setObjectName(name);
        result->move(8, y);
        result->adjustSize();
        return result;
    };
    const auto edit = [this](const char* name, int y) {
        auto* result = new QLineEdit(this);
        result->setObjectName(name);
        result->setGeometry(8, y, 265, 22);
        return result;
    };
    const auto browse = [this](const char* name, int y) {
        auto* result = new QPushButton("...", this);
        result->setObjectName(name);
        result->setGeometry(272, y, 33, 22);
        return result;
    };

    Label1 = label("Label1", DatabaseLabel(m_prefs.ATTRIB_MDB), 8);
    edtAttributes = edit("edtAttributes", 24);
    btnAttrib = browse("btnAttrib", 24);
    Label4 = label("Label4", "Raster image file", 48);
    edtRaster = edit("edtRaster", 64);
    btnRaster = browse("btnRaster", 64);
    Label3 = label("Label3", "Default Shape Overlay File", 88);
    edtShape = edit("edtShape", 104);
    btnShape = browse("btnShape", 104);

    chkDelete = new QCheckBox("Delete raw raster image after closing the TAMO-Viewer", this);
    chkDelete->setObjectName("chkDelete");
    chkDelete->move(8, 144);
    chkDelete->adjustSize();
    // A wider platform font would cut the check box text off at the right edge: the dialog grows
    // to show all of it.
    if (chkDelete->width() + 16 > width())
        setFixedWidth(chkDelete->width() + 16);

    // Without data at hand the user can make the demo set and go on with it.
    btnDemoData = new QPushButton("Make Demo Data", this);
    btnDemoData->setObjectName("btnDemoData");
    btnDemoData->setGeometry(8, 160, std::max(100, btnDemoData->sizeHint().width()), 25);

    btnCancel = new QPushButton("&Cancel", this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setGeometry(144, 160, 75, 25);
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setGeometry(228, 160, 75, 25);
    OKBtn->setDefault(true);
    // The buttons keep to the lower right corner of a grown dialog.
    btnCancel->move(width() - 310 + 144, 160);
    OKBtn->move(width() - 310 + 228, 160);

    connect(btnAttrib, &QPushButton::clicked, this, [this] {
        Guarded(
            [this] { Browse(edtAttributes, m_prefs.ATTRIB_MDB, "TAMO Attribute database", kDatabaseFilter); },
            this);
    });
    connect(btnRaster, &QPushButton::clicked, this, [this] {
        Guarded([this] { Browse(edtRaster, m_prefs.RASTER, "TAMO Raster", "BIL Files | *.BIL"); }, this);
    });
    connect(btnShape, &QPushButton::clicked, this, [this] {
        Guarded(
            [this] { Browse(edtShape, m_prefs.DATA_WORLD_MAP, "Shape File Overlay", "Shape File | *.SHP"); },
            this);
    });
    connect(btnDemoData, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnDemoDataClick(); }, this); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(OKBtn, &QPushButton::clicked, this, [this] { Guarded([this] { OKBtnClick(); }, this); });

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    FormActivate();
}

void TLocationForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TLocationForm::ShowPath(QLineEdit* edit, const QString& path) {
    edit->setText(path);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, QFileInfo::exists(path) ? Qt::black : Qt::red);
    edit->setPalette(palette);
}

void TLocationForm::FormActivate() {
    ShowPath(edtAttributes, m_prefs.ATTRIB_MDB);
    ShowDatabaseKind();
    ShowPath(edtRaster, m_prefs.RASTER);
    ShowPath(edtShape, m_prefs.DATA_WORLD_MAP);
    chkDelete->setChecked(m_prefs.DeleteRaster);
}

void TLocationForm::Browse(QLineEdit* edit, QString& preference, const QString& title,
                           const QString& filter) {
    const QStringList files = Dialogs::ChooseFiles(
        this, {title, filter, QFileInfo(preference).absolutePath(), Dialogs::TFileMode::OpenExisting});
    if (files.isEmpty())
        return;
    preference = QFileInfo(files.first()).absoluteFilePath();
    ShowPath(edit, preference);
    ShowDatabaseKind();
}

void TLocationForm::ShowDatabaseKind() {
    Label1->setText(DatabaseLabel(m_prefs.ATTRIB_MDB));
    Label1->adjustSize();
}

void TLocationForm::OKBtnClick() {
    // What the user typed into the boxes is never read: only browsed paths count.
    if (QFileInfo::exists(m_prefs.ATTRIB_MDB) && QFileInfo::exists(m_prefs.DATA_WORLD_MAP)) {
        m_prefs.DeleteRaster = chkDelete->isChecked();
        accept();
        return;
    }
    Dialogs::Message(this, "Please select the TAMO database files, or Cancel.", "Not all TAMO files found");
}

// Runs the generator into the user's data folder behind a progress window and goes on with the
// new set as if the user had picked its files and pressed OK.
void TLocationForm::btnDemoDataClick() {
    TDemoDataMaker maker(DemoDataCommand, CurrentDataLocations().UserDataFolder);
    maker.Start();
    if (maker.Outcome() == TDemoDataMaker::TOutcome::Running) {
        TDemoDataForm progress(maker, maker.DataFolder(), this);
        Dialogs::Exec(progress);
    }
    switch (maker.Outcome()) {
    case TDemoDataMaker::TOutcome::Done:
        m_prefs.ATTRIB_MDB = maker.DataFolder() + "TAMO2.sqlite";
        m_prefs.DATA_WORLD_MAP = maker.DataFolder() + "Country.shp";
        FormActivate();
        OKBtnClick();
        break;
    case TDemoDataMaker::TOutcome::Failed:
        Dialogs::ShowError(this, "The demo data set could not be made.\n" + maker.ErrorText());
        break;
    default: // cancelled; a maker still running is stopped by its destructor
        break;
    }
}

bool ShowDataLocation(TPreferences& prefs, QWidget* parent) {
    TLocationForm form(prefs, parent);
    return Dialogs::Exec(form) == QDialog::Accepted;
}
