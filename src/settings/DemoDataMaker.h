#pragma once
// Makes the demo data set with tamo-make-demo-data in a process of its own, so that the
// user-interface thread goes on. The generator writes into a staging folder inside the target
// folder; a complete set is moved into place, a cancelled or failed one is removed with the
// staging folder (and the target folder, when the maker made it and it is empty again). Files
// already in the target are never replaced: when it holds a data file, the set goes into a
// "Demo" folder below it.

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class TDemoDataMaker : public QObject {
    Q_OBJECT
public:
    struct TCommand {
        QString Program;
        QStringList Arguments; // before the folder argument, for example "--small"
    };
    enum class TOutcome { NotStarted, Running, Done, Cancelled, Failed };

    TDemoDataMaker(TCommand command, QString targetFolder, QObject* parent = nullptr);
    // A generator still running is stopped and its half-made files removed.
    ~TDemoDataMaker() override;

    void Start();
    // Stops the generator; Finished follows once it has ended and its files are gone.
    void Cancel();

    TOutcome Outcome() const { return m_outcome; }
    // The folder that holds the complete set (once Done).
    QString DataFolder() const { return m_dataFolder; }
    QString ErrorText() const { return m_errorText; }

signals:
    void ProgressChanged(int percent);
    void StepChanged(const QString& step);
    void Finished();

private:
    void ReadOutput();
    void ProcessFinished(int exitCode, QProcess::ExitStatus status);
    void ProcessFailed(QProcess::ProcessError error);
    void MoveIntoPlace();
    void RemoveHalfMade();
    void Finish(TOutcome outcome, const QString& errorText = {});

    TCommand m_command;
    QString m_targetFolder;
    QString m_stagingFolder;
    QString m_dataFolder;
    QStringList m_foldersMade; // folders this maker created, innermost last
    QProcess m_process;
    QByteArray m_errorOutput;
    TOutcome m_outcome = TOutcome::NotStarted;
    bool m_cancelling = false;
    QString m_errorText;
};

// The generator beside the program, making the full data set.
TDemoDataMaker::TCommand DefaultDemoDataCommand();
