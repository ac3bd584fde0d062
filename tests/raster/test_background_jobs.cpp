#include "MapFakes.h"
#include "PoolBlocker.h"
#include "TestSupport.h"
#include "raster/BackgroundJob.h"
#include "raster/UnitAreaTable.h"
#include "raster/WorldAreas.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct TEnd {
    std::optional<TBackgroundJob::TOutcome> Outcome;
    QString Error;
};

TBackgroundJob::TFinished Record(TEnd& end) {
    return [&end](TBackgroundJob::TOutcome outcome, const QString& error) {
        end.Outcome = outcome;
        end.Error = error;
    };
}

} // namespace

TEST(BackgroundJob, DeliversItsEndProgressAndFailuresOnTheStartingThread) {
    TBackgroundJob job;
    QSignalSpy progress(&job, &TBackgroundJob::Progress);
    TEnd end;
    job.Start([](const TJobControl& control) { control.Progress(50); }, Record(end));
    EXPECT_TRUE(job.Running());
    ASSERT_TRUE(QTest::qWaitFor([&] { return end.Outcome.has_value(); }, 10000));
    EXPECT_EQ(*end.Outcome, TBackgroundJob::TOutcome::Done);
    EXPECT_FALSE(job.Running());
    ASSERT_EQ(progress.count(), 1);
    EXPECT_EQ(progress.at(0).at(0).toInt(), 50);

    end = {};
    job.Start([](const TJobControl&) { throw std::runtime_error("The raster has gone."); }, Record(end));
    ASSERT_TRUE(QTest::qWaitFor([&] { return end.Outcome.has_value(); }, 10000));
    EXPECT_EQ(*end.Outcome, TBackgroundJob::TOutcome::Failed);
    EXPECT_EQ(end.Error, "The raster has gone.");
}

TEST(BackgroundJob, ACancelledReplacedOrOrphanedJobEndsUnseen) {
    TEnd cancelled, replaced, newer;
    {
        TPoolBlocker blocker;
        TBackgroundJob job;
        bool ranAfterCancel = false;
        job.Start([&](const TJobControl& control) { ranAfterCancel = !control.Cancelled(); },
                  Record(cancelled));
        job.Cancel();
        blocker.Release();
        ASSERT_TRUE(QTest::qWaitFor([&] { return cancelled.Outcome.has_value(); }, 10000));
        EXPECT_EQ(*cancelled.Outcome, TBackgroundJob::TOutcome::Cancelled);
        EXPECT_FALSE(ranAfterCancel);
    }
    {
        TPoolBlocker blocker;
        TBackgroundJob job;
        job.Start([](const TJobControl&) {}, Record(replaced));
        job.Start([](const TJobControl&) {}, Record(newer));
        blocker.Release();
        ASSERT_TRUE(QTest::qWaitFor([&] { return newer.Outcome.has_value(); }, 10000));
    }
    EXPECT_FALSE(replaced.Outcome) << "the replaced job delivers nothing";

    TEnd orphan;
    {
        TPoolBlocker blocker;
        auto job = std::make_unique<TBackgroundJob>();
        job->Start([](const TJobControl&) {}, Record(orphan));
        job.reset();
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(orphan.Outcome) << "a job whose owner is gone delivers nothing";
}

TEST(WorldAreas, ComputedOnceInTheBackgroundAndKeptInTheCache) {
    QTemporaryDir dir;
    WriteRaster(
        dir.filePath("r.bil"), 8, 4, 2, [](int c, int) { return std::uint32_t(c % 3); },
        TRasterHeader::Beside);
    const auto raster = TRasterSource::Open(dir.filePath("r.bil"), 2);
    TWorldAreas areas(dir.filePath("Cache"));
    QSignalSpy ready(&areas, &TWorldAreas::Ready);
    EXPECT_FALSE(areas.Areas(raster)) << "computed in the background";
    EXPECT_TRUE(areas.Computing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ready.count() == 1; }, 10000));
    EXPECT_EQ(ready.at(0).at(0).toString(), raster->File().Path());
    const auto table = areas.Areas(raster);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->Cells[2], 8u);
    EXPECT_TRUE(QFileInfo::exists(UnitAreaCachePath(raster->File().Path(), dir.filePath("Cache"))));
    EXPECT_EQ(areas.Areas(raster), table) << "asked again: the same table, at once";
}
