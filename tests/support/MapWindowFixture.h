#pragma once
// The ground the map window tests stand on: a private settings store and program folder, a fake
// frame, a small raster with its header in the cache folder beside an archive (so that the
// cached copy is used), and a theme on it whose SMUs 1..N have the WRB2 codes 1..N.

#include "MapFakes.h"
#include "TestSupport.h"
#include "map/MapExplorerForm.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

// The grid of the map window tests' raster.
inline constexpr int kMapCols = 400;
inline constexpr int kMapRows = 200;

// The map tests' usual raster: blocks of 40 x 40 cells, SMU id = 1 + block column + 10 x block row.
inline std::uint32_t BlockUnitOf(int c, int r) {
    return 1 + c / 40 + 10 * (r / 40);
}

class TMapWindowFixture : public ::testing::Test {
protected:
    TScopedEnvironment Env;
    TTestResponder Responder;
    TFakeHost Host;
    TQEV_library Library;
    TQEV_Class Classes; // the theme's class set once SetClassSet gave it one
    TQEV_Layer Theme;
    QString Cache; // the cache folder, with a slash

    // Writes the raster, cell (col, row) holding cellOf(col, row), gives SMUs 1..units their own
    // number as WRB2 code, and points the theme at the raster (no class set, Equal interval).
    void MakeMapData(const std::function<std::uint32_t(int col, int row)>& cellOf, int units) {
        Cache = Env.Folder() + "Cache/";
        QDir().mkpath(Cache);
        Host.Settings.CacheFolder = Cache;
        Host.Settings.RasterFile = Cache + "TAMO2.bil";
        Library.Path = Env.Folder() + "TAMO2.zip";
        WriteEmptyArchive(Library.Path);
        WriteRaster(Cache + "TAMO2.bil", kMapCols, kMapRows, 2, cellOf, TRasterHeader::Beside);
        for (int smu = 1; smu <= units; ++smu)
            Host.Lookup.Codes[smu] = smu;
        Theme.Library = &Library;
        Theme.FileName = "TAMO2.bil";
        Theme.LayerName = "Soils";
        Theme.Bytes = 2;
        Theme.DefaultMethod = cmEqualInterval;
    }

    // Gives the theme a class set (the default method Pre-defined): upper bounds, labels and
    // opaque 0xAARRGGBB colours, one per class.
    void SetClassSet(const std::vector<double>& dividers, const QStringList& labels,
                     const std::vector<QRgb>& colors) {
        Classes.ClassCount = static_cast<int>(dividers.size());
        for (int i = 0; i < Classes.ClassCount; ++i) {
            Classes.Dividers[i] = dividers[i];
            Classes.Labels[i] = labels[i];
            const QRgb c = colors[i];
            Classes.Colors[i] = qRed(c) | qGreen(c) << 8 | qBlue(c) << 16; // window colours
        }
        Theme.DefaultMethod = cmPredefined;
        Theme.ClassSet = &Classes;
    }

    // Waits until the drawing in progress has shown its picture.
    static void WaitForDrawing(const TMapExplorerForm& form) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form.IsDrawing(); }, 20000));
    }
    // A raster served slowly: every source row a drawing reads takes 3 ms more (on the painting
    // thread), and is counted in `served` when given.
    static std::function<void(int)> SlowRows(std::atomic<int>* served = nullptr) {
        return [served](int) {
            if (served)
                ++*served;
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        };
    }

    // A map window of the fake frame, shown at `size`, no theme open yet. By default its map is
    // 388 pixels wide beside a legend of a third of the window.
    std::unique_ptr<TMapExplorerForm> ShownForm(QSize size = {588, 300}) {
        auto form = std::make_unique<TMapExplorerForm>(Host);
        form->resize(size);
        form->show();
        QCoreApplication::processEvents();
        return form;
    }
};
