#pragma once
// Taking a map window's map out: the printed page, and the picture of the window for the
// clipboard.

#include <QImage>
#include <QSize>

class QPrinter;
class TMapExplorerForm;

// The page bitmap of a print: the map drawn again at the screen's cell size from the window's
// first cell on, at the page's top-left corner, white where nothing is drawn, with its scale bar in
// the page's lower left corner. Null when the
// window has no view that fits (no theme open). The window's view is left as it was.
QImage RenderPrintPage(TMapExplorerForm& form, QSize pageSize);

// Prints one page (job title "TAMO") with the map of `form` on `printer`. False when there is no
// map to print; raises TAMOError when the printer cannot be started (an unwritable file).
bool PrintMap(TMapExplorerForm& form, QPrinter& printer);

// The window's client area as shown (map, splitter and legend) with the splitter painted white.
QImage CaptureMapWindow(TMapExplorerForm& form);

// Puts CaptureMapWindow on the clipboard.
void CopyMapToClipboard(TMapExplorerForm& form);
