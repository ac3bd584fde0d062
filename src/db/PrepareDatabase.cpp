#include "db/PrepareDatabase.h"

#include "db/AttributeImport.h"

#include <QApplication>
#include <QProgressDialog>

void PrepareAttributeDatabase(QWidget* parent, const QString& connectionString, const QString& cacheFolder,
                              const QString& importerProgram) {
    if (!ImportNeeded(connectionString, cacheFolder))
        return;
    TImportOptions options;
    options.CacheFolder = cacheFolder;
    options.ImporterProgram = importerProgram.isEmpty() ? DefaultImporterProgram() : importerProgram;

    QProgressDialog progressWindow("Importing attribute database ...", "Cancel", 0, 0, parent);
    progressWindow.setObjectName("ImportProgressWindow");
    progressWindow.setWindowTitle("Importing attribute database ...");
    progressWindow.setWindowModality(Qt::WindowModal);
    progressWindow.setMinimumDuration(0);
    progressWindow.setAutoClose(false);
    progressWindow.setAutoReset(false);
    progressWindow.show();
    QApplication::processEvents();

    ImportAttributeDatabase(connectionString, options, [&](const TImportProgress& progress) {
        if (progress.RowsTotal > 0) {
            // Row numbers can pass what a progress bar holds; show them in thousandths.
            progressWindow.setMaximum(1000);
            progressWindow.setValue(
                static_cast<int>(qMin<qint64>(1000, progress.RowsDone * 1000 / progress.RowsTotal)));
        }
        if (!progress.Table.isEmpty())
            progressWindow.setLabelText("Importing attribute database ...\n" + progress.Table);
        return !progressWindow.wasCanceled();
    });
}
