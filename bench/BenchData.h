#pragma once
// The demo data set every benchmark reads: the folder named by TAMO_DEMO_DATA, or else one made
// once by tamo-make-demo-data (beside tamo-bench) in $TMPDIR/tamo-bench-demo/ and kept for later runs.

#include <QString>

// The folder of the running tamo-bench (no trailing slash), found without a QCoreApplication,
// which Google Benchmark's main does not create.
QString BenchProgramFolder();

// Creates, once, the application that Qt's SQL drivers, processes and the measured windows need
// (a widget application on the offscreen platform unless another is set).
void EnsureBenchApplication();

// The folder holding TAMO2.sqlite (or TAMO2.mdb), TAMO2.zip and TAMO2.bil extracted beside it.
// Made or checked on the first call; when that fails the program ends with a message, since no
// benchmark can run without the data.
const QString& DemoDataFolder();

// The connection text of the folder's attribute database (an Access file is imported first, into
// DemoCacheFolder()).
const QString& DemoConnection();
// Where the imported copy of an Access demo database is kept.
QString DemoCacheFolder();

// The extracted raster, 43200 x 21600 two-byte cells.
QString DemoRasterPath();

// The extracted raster as GDAL's raw-raster driver opens it: a link to it beside an .hdr (no data
// 0), in a folder kept for the run. The peer of the benchmarks that read the whole raster.
QString DemoRasterForGdal();
