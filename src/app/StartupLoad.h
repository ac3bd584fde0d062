#pragma once
// The frame's start-up load, run once half a second after the frame first shows: the data file
// check, the splash over a busy cursor while the catalogue and the database are read, the user's
// "Load TAMO", and the first map window.

#include <QPointer>
#include <functional>

class QWidget;
class TSplashForm;

// The frame's parts of the load.
struct TStartupSteps {
    std::function<void()> LoadCatalogueAndDatabase; // theme library, database object and its index
    std::function<void()> OpenFirstMap;             // the New Window command
    std::function<void()> EndProgram; // the data files are missing and the user gave up, or closed the splash
};

class TStartupLoad {
public:
    // Cancelled: the user ended the program at the data location dialog or at the splash.
    enum class TOutcome { NotRun, Cancelled, Failed, Loaded };

    TStartupLoad(QWidget& frame, TStartupSteps steps);
    ~TStartupLoad();

    // Runs the load. An error of the catalogue or the database is passed on to the caller's guard
    // after the cursor is restored; the splash then stays up, not modal, and no map opens.
    void Run();

    TOutcome Outcome() const { return m_outcome; }
    TSplashForm* Splash() const;

private:
    bool DataFilesFound();
    void ShowSplash();

    QWidget& m_frame;
    TStartupSteps m_steps;
    TOutcome m_outcome = TOutcome::NotRun;
    QPointer<TSplashForm> m_splash;
};
