#pragma once
// Holds the background jobs' only thread until released, so that a background job started meanwhile
// waits for its turn: a test can cancel it, or look at the window, before it runs.

#include "raster/BackgroundJob.h"
#include <QSemaphore>

#include <QThreadPool>

class TPoolBlocker {
public:
    TPoolBlocker() : m_threads(TBackgroundJob::Pool().maxThreadCount()) {
        TBackgroundJob::Pool().setMaxThreadCount(1);
        TBackgroundJob::Pool().start([this] { m_release.acquire(); });
    }
    ~TPoolBlocker() {
        Release();
        TBackgroundJob::Pool().waitForDone();
        TBackgroundJob::Pool().setMaxThreadCount(m_threads);
    }
    TPoolBlocker(const TPoolBlocker&) = delete;
    TPoolBlocker& operator=(const TPoolBlocker&) = delete;
    void Release() {
        if (!m_released)
            m_release.release();
        m_released = true;
    }

private:
    int m_threads;
    QSemaphore m_release;
    bool m_released = false;
};
