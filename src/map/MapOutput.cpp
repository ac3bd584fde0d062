#include "map/MapOutput.h"

#include "common/TAMOError.h"
#include "map/MapExplorerForm.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QPrinter>
#include <QSplitter>

QImage RenderPrintPage(TMapExplorerForm& form, QSize pageSize) {
    TViewGeometry& view = form.Manager().View;
    const TViewGeometry screen = view;
    // The scale of the screen, from the window's own target.
    if (pageSize.isEmpty() || !view.FitView()) {
        view = screen;
        return {};
    }
    view.OriginX = 0;
    view.OriginY = 0;
    view.TargetWidth = pageSize.width();
    view.TargetHeight = pageSize.height();
    QImage page(pageSize, QImage::Format_RGB32);
    page.fill(Qt::white);
    struct TRestore {
        TViewGeometry& View;
        TViewGeometry Saved;
        // Mouse readouts and later drawings go on with the screen's geometry.
        ~TRestore() { View = Saved; }
    } restore{view, screen};
    form.DrawMap(page, TDrawTarget::Printing);
    return page;
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
