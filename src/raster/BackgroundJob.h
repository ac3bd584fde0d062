#pragma once
// A long computation run on the thread pool, away from the user-interface thread: it works on what
// it was given (copies and shared, unchanging data), checks a cancel flag often, and hands its
// progress and its end back to the thread that started it. A job whose owner is gone, or that a
// newer job replaced, delivers nothing.

#include "raster/JobControl.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <functional>
#include <memory>

class TBackgroundJob : public QObject {
    Q_OBJECT
public:
    enum class TOutcome { Done, Cancelled, Failed };
    // Runs on a pool thread; may raise an exception (the job then fails with its message).
    using TWork = std::function<void(const TJobControl& control)>;
    // Runs on the starting thread when the work has ended; `error` is the message of a failure.
    using TFinished = std::function<void(TOutcome outcome, const QString& error)>;

    explicit TBackgroundJob(QObject* parent = nullptr);
    // Cancels the work in progress; it ends on its own, unseen.
    ~TBackgroundJob() override;

    // Starts `work`; a job still running is cancelled first and its end is not delivered.
    void Start(TWork work, TFinished finished);
    // Asks the work to stop at its next check; its end is delivered as Cancelled.
    void Cancel();
    // Cancels the work and forgets it: its end is not delivered.
    void Abandon();
    bool Running() const;

    // The threads the jobs run on: a pool of their own, owned by the application object, so that
    // long jobs never hold the threads Qt itself draws with.
    static QThreadPool& Pool();

signals:
    // Percent done (0..100), on the starting thread.
    void Progress(int percent);

private:
    struct TState;
    std::shared_ptr<TState> m_state;
};
