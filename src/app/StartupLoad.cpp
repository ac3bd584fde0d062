#include "app/StartupLoad.h"

#include "app/SplashForm.h"
#include "common/Dialogs.h"
#include "settings/LocationForm.h"
#include "settings/Preferences.h"

#include <QApplication>
#include <QFileInfo>

TStartupLoad::TStartupLoad(QWidget& frame, TStartupSteps steps) : m_frame(frame), m_steps(std::move(steps)) {}

TStartupLoad::~TStartupLoad() = default;

TSplashForm* TStartupLoad::Splash() const {
    return m_splash;
}

void TStartupLoad::Run() {
    if (!DataFilesFound()) {
        m_outcome = TOutcome::Cancelled;
        Dialogs::ShowError(
            &m_frame, "Closing the TAMO-Viewer - Please check the data files or re-install the application");
        m_steps.EndProgram();
        return;
    }

    ShowSplash();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        m_steps.LoadCatalogueAndDatabase();
        SavePreferences(Preferences());
    } catch (...) {
        m_outcome = TOutcome::Failed;
        QApplication::restoreOverrideCursor();
        // The splash stays up, not modal; its button still closes it. It no longer stays on top,
        // so that the error message is not hidden behind it.
        if (m_splash) {
            m_splash->setWindowFlag(Qt::WindowStaysOnTopHint, false);
            m_splash->show();
        }
        throw;
    }
    QApplication::restoreOverrideCursor();
    m_outcome = TOutcome::Loaded;

    // The user starts the first map with "Load TAMO"; closing the splash instead (its window's
    // close command, Escape) ends the program.
    if (m_splash) {
        m_splash->hide();
        if (Dialogs::Exec(*m_splash) != QDialog::Accepted) {
            m_outcome = TOutcome::Cancelled;
            if (m_splash)
                m_splash->deleteLater();
            m_steps.EndProgram();
            return;
        }
    }
    m_steps.OpenFirstMap();
}

// The overlay and the database must exist; otherwise the user may point to them. The raster is
// looked for by the map windows, which can extract it.
bool TStartupLoad::DataFilesFound() {
    const TPreferences& prefs = Preferences();
    if (QFileInfo::exists(prefs.DATA_WORLD_MAP) && QFileInfo::exists(prefs.ATTRIB_MDB))
        return true;
    if (!ShowDataLocation(Preferences(), &m_frame))
        return false;
    ProgramState().ConnectionString = BuildConnectionString(Preferences().ATTRIB_MDB);
    return true;
}

void TStartupLoad::ShowSplash() {
    m_splash = new TSplashForm(&m_frame);
    m_splash->CentreOn(m_frame);
    m_splash->show();
    // Paint it now: the load that follows blocks the event loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_splash->repaint();
}
