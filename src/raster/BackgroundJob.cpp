#include "raster/BackgroundJob.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <atomic>
#include <exception>

struct TBackgroundJob::TState {
    std::atomic<bool> Cancel{false};
    bool Running = true; // read and written on the starting thread only
};

TBackgroundJob::TBackgroundJob(QObject* parent) : QObject(parent) {}

QThreadPool& TBackgroundJob::Pool() {
    // A child of the application object: it waits for its threads when the program ends. One
    // thread: the jobs read the whole raster, and another at once would only compete for the disk.
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        pool->setObjectName("BackgroundJobs");
        pool->setMaxThreadCount(1);
    }
    return *pool;
}

TBackgroundJob::~TBackgroundJob() {
    if (m_state)
        m_state->Cancel = true;
}

void TBackgroundJob::Abandon() {
    Cancel();
    m_state.reset();
}

bool TBackgroundJob::Running() const {
    return m_state && m_state->Running;
}

void TBackgroundJob::Cancel() {
    if (m_state)
        m_state->Cancel = true;
}

void TBackgroundJob::Start(TWork work, TFinished finished) {
    if (m_state)
        m_state->Cancel = true;
    auto state = std::make_shared<TState>();
    m_state = state;
    // The work's reports travel as events to the application object and find this job there only
    // while it exists and still runs this state: a pointer to the job itself must not be used from
    // the pool thread, which cannot know whether it still exists.
    QPointer<TBackgroundJob> self(this);
    QObject* context = QCoreApplication::instance();
    const auto deliver = [context](std::function<void()> call) {
        QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
    };
    Pool().start([state, self, deliver, work = std::move(work), finished = std::move(finished)]() mutable {
        TJobControl control;
        control.Cancel = &state->Cancel;
        control.Progress = [state, self, deliver](int percent) {
            deliver([state, self, percent] {
                if (self && self->m_state == state && state->Running)
                    emit self->Progress(percent);
            });
        };
        TOutcome outcome = TOutcome::Done;
        QString error;
        try {
            work(control);
        } catch (const std::exception& e) {
            outcome = TOutcome::Failed;
            error = QString::fromUtf8(e.what());
        } catch (...) {
            outcome = TOutcome::Failed;
            error = "The computation failed.";
        }
        if (outcome == TOutcome::Done && state->Cancel)
            outcome = TOutcome::Cancelled;
        deliver([state, self, outcome, error, finished = std::move(finished)] {
            if (!self || self->m_state != state)
                return;
            state->Running = false;
            if (finished)
                finished(outcome, error);
        });
    });
}
