#include "settings/DemoDataMaker.h"

#include "common/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
// The files of a data set: a folder holding any of them keeps them, and a new set goes elsewhere.
const QStringList kDataFiles = {"TAMO2.mdb",   "TAMO2.sqlite", "TAMO2.zip",
                                "Country.shp", "Country.shx",  "Country.dbf"};
// The archive is moved last: its presence tells that a set is complete.
constexpr char kArchive[] = "TAMO2.zip";
constexpr int kMaxErrorOutput = 4000;

bool HoldsDataFiles(const QString& folder) {
    for (const QString& name : kDataFiles)
        if (QFileInfo::exists(folder + name))
            return true;
    return false;
}

// The target itself, or the first of Demo/, Demo 2/, ... below it that holds no data file.
QString FreeDataFolder(const QString& target) {
    if (!HoldsDataFiles(target))
        return target;
    for (int n = 1;; ++n) {
        const QString folder = target + (n == 1 ? QString("Demo/") : QString("Demo %1/").arg(n));
        if (!HoldsDataFiles(folder))
            return folder;
    }
}

// Makes `folder` with its missing parents and lists the ones it made, outermost first.
bool MakeFolders(const QString& folder, QStringList& made) {
    QStringList missing;
    for (QString path = QDir::cleanPath(folder); !QFileInfo::exists(path); path = QFileInfo(path).path())
        missing.prepend(path);
    if (!QDir().mkpath(folder))
        return false;
    made << missing;
    return true;
}
} // namespace

TDemoDataMaker::TDemoDataMaker(TCommand command, QString targetFolder, QObject* parent)
    : QObject(parent), m_command(std::move(command)), m_targetFolder(WithSlash(std::move(targetFolder))) {
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &TDemoDataMaker::ReadOutput);
    connect(&m_process, &QProcess::readyReadStandardError, this, [this] {
        m_errorOutput += m_process.readAllStandardError();
        m_errorOutput = m_errorOutput.right(kMaxErrorOutput);
    });
    connect(&m_process, &QProcess::finished, this, &TDemoDataMaker::ProcessFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &TDemoDataMaker::ProcessFailed);
}

TDemoDataMaker::~TDemoDataMaker() {
    if (m_outcome != TOutcome::Running)
        return;
    m_process.disconnect(this);
    m_process.kill();
    m_process.waitForFinished(5000);
    RemoveHalfMade();
}

void TDemoDataMaker::Start() {
    if (m_outcome == TOutcome::Running)
        return;
    m_outcome = TOutcome::Running;
    m_cancelling = false;
    m_errorOutput.clear();
    m_dataFolder = FreeDataFolder(m_targetFolder);
    // A hidden folder of its own: what is in it was made by this run and nothing else.
    m_stagingFolder = m_dataFolder + ".making-demo-data/";
    QDir(m_stagingFolder).removeRecursively();
    m_foldersMade.clear();
    if (!MakeFolders(m_stagingFolder, m_foldersMade)) {
        Finish(TOutcome::Failed, QString("The folder %1 cannot be made.").arg(m_stagingFolder));
        return;
    }
    m_process.start(m_command.Program, QStringList(m_command.Arguments) << "--progress" << m_stagingFolder);
}

void TDemoDataMaker::Cancel() {
    if (m_outcome != TOutcome::Running || m_cancelling)
        return;
    m_cancelling = true;
    m_process.kill(); // ProcessFinished (or ProcessFailed) cleans up
}

void TDemoDataMaker::ReadOutput() {
    // "progress N" lines carry the percentage; the other lines name the step just done
    // ("  25.0 s  soil world built").
    static const QRegularExpression progressLine("^progress (\\d+)$");
    static const QRegularExpression timePrefix("^\\d+(\\.\\d+)? s\\s+");
    while (m_process.canReadLine()) {
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        if (const auto match = progressLine.match(line); match.hasMatch())
            emit ProgressChanged(match.captured(1).toInt());
        else if (QString step = QString(line).remove(timePrefix); !step.isEmpty())
            emit StepChanged(step.left(1).toUpper() + step.mid(1));
    }
}

void TDemoDataMaker::ProcessFinished(int exitCode, QProcess::ExitStatus status) {
    if (m_outcome != TOutcome::Running)
        return;
    if (m_cancelling) {
        RemoveHalfMade();
        Finish(TOutcome::Cancelled);
    } else if (status != QProcess::NormalExit || exitCode != 0) {
        RemoveHalfMade();
        const QString said = QString::fromLocal8Bit(m_errorOutput).trimmed();
        Finish(TOutcome::Failed,
               said.isEmpty() ? QString("The generator ended with code %1.").arg(exitCode) : said);
    } else {
        MoveIntoPlace();
    }
}

void TDemoDataMaker::ProcessFailed(QProcess::ProcessError error) {
    // Only a start that failed ends here; a crash or a kill also ends in ProcessFinished.
    if (error != QProcess::FailedToStart || m_outcome != TOutcome::Running)
        return;
    RemoveHalfMade();
    Finish(TOutcome::Failed,
           QString("%1 cannot be started: %2").arg(m_command.Program, m_process.errorString()));
}

void TDemoDataMaker::MoveIntoPlace() {
    QStringList names = QDir(m_stagingFolder).entryList(QDir::Files);
    if (!names.contains(kArchive)) {
        RemoveHalfMade();
        Finish(TOutcome::Failed, "The generator ended without writing the raster archive.");
        return;
    }
    names.removeAll(kArchive);
    names << kArchive;
    QStringList moved;
    for (const QString& name : names) {
        if (!QFile::rename(m_stagingFolder + name, m_dataFolder + name)) {
            for (const QString& done : moved)
                QFile::remove(m_dataFolder + done);
            RemoveHalfMade();
            Finish(TOutcome::Failed, QString("%1 cannot be moved into %2.").arg(name, m_dataFolder));
            return;
        }
        moved << name;
    }
    QDir().rmdir(m_stagingFolder);
    Finish(TOutcome::Done);
}

void TDemoDataMaker::RemoveHalfMade() {
    QDir(m_stagingFolder).removeRecursively();
    // The folders made for the staging folder go too, as far as they are empty.
    for (auto folder = m_foldersMade.crbegin(); folder != m_foldersMade.crend(); ++folder)
        QDir().rmdir(*folder);
}

void TDemoDataMaker::Finish(TOutcome outcome, const QString& errorText) {
    m_outcome = outcome;
    m_errorText = errorText;
    emit Finished();
}

TDemoDataMaker::TCommand DefaultDemoDataCommand() {
    return {ProgramFolder() + "tamo-make-demo-data", {}};
}
