#include "map/MapOutput.h"

#include "common/TAMOError.h"
#include "map/MapExplorerForm.h"
#include "map/ScaleBar.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QPrinter>
#include <QSplitter>

QImage RenderPrintPage(TMapExplorerForm& form, QSize pageSize) {
    // A copy of the window's view, fitted to the window's own target for the screen's scale; the
    // window's view is never touched.
    TViewGeometry page = form.View();
    if (pageSize.isEmpty() || !page.FitView())
        return {};
    page.SetOrigin(0, 0);
    page.SetTarget(pageSize.width(), pageSize.height());
    QImage picture = form.RenderPage(page, pageSize);
    DrawScaleBar(picture, page);
    return picture;
}

bool PrintMap(TMapExplorerForm& form, QPrinter& printer) {
    printer.setDocName("TAMO");
    const QRect pageRect = printer.pageLayout().paintRectPixels(printer.resolution());
    const QImage page = RenderPrintPage(form, pageRect.size());
    if (page.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString file = printer.outputFileName();
        throw TAMOError(file.isEmpty() ? QString("The printer could not be started.")
                                       : QString("The printer could not write \"%1\".").arg(file));
    }
    // Pixel for pixel: the painter's unit on a printer is one printer pixel.
    painter.drawImage(QPoint(0, 0), page);
    return painter.end();
}

QImage CaptureMapWindow(TMapExplorerForm& form) {
    QSplitterHandle* handle = form.Splitter->count() > 1 ? form.Splitter->handle(1) : nullptr;
    const QString savedSheet = form.Splitter->styleSheet();
    struct TRestore {
        QSplitter* Splitter;
        QString Sheet;
        // The splitter gets its face colour back, also when the capture fails.
        ~TRestore() { Splitter->setStyleSheet(Sheet); }
    } restore{form.Splitter, savedSheet};
    if (handle)
        form.Splitter->setStyleSheet("QSplitter::handle { background-color: white; image: none; }");
    return form.grab().toImage();
}

void CopyMapToClipboard(TMapExplorerForm& form) {
    const QImage picture = CaptureMapWindow(form);
    if (!picture.isNull())
        QApplication::clipboard()->setImage(picture);
}
