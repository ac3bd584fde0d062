#include "reports/ReportPlacement.h"

#include "settings/Preferences.h"
#include "settings/SettingsStore.h"
#include "settings/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

void RestoreOrCentre(QWidget& window) {
    bool stored = false;
    try {
        stored =
            TRegistry(TSettingsStore::Global()).KeyExists(QString(kFormsKey) + "\\" + window.objectName());
    } catch (const std::exception&) {
        stored = false;
    }
    // A stored place with a damaged size counts as none.
    if (stored && RestoreWindowPlacement(window))
        return;
    // A first opening: over the middle of the frame, like any dialog.
    QRect area;
    if (const QWidget* parent = window.parentWidget(); parent && parent->isVisible())
        area = parent->window()->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (!area.isValid())
        return;
    QPoint topLeft = area.center() - QPoint(window.width() / 2, window.height() / 2);
    // Kept on the screen, title bar first, when the frame is larger than it or partly off it.
    if (const QScreen* screen = QGuiApplication::screenAt(area.center())) {
        const QRect visible = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), visible.left(),
                                std::max(visible.left(), visible.right() - window.width())));
        topLeft.setY(std::clamp(topLeft.y(), visible.top(),
                                std::max(visible.top(), visible.bottom() - window.height())));
    }
    window.move(topLeft);
}
