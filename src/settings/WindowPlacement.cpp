#include "settings/WindowPlacement.h"

#include "settings/Preferences.h"
#include "settings/RegistryMan.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QWidget>

namespace {
// A dialog border: a window that cannot be resized.
bool HasDialogBorder(const QWidget& window) {
    return qobject_cast<const QDialog*>(&window) != nullptr && window.minimumSize() == window.maximumSize();
}

// For an MDI child the placement is that of its frame within the MDI area.
QWidget& PlacedWidget(QWidget& window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window.parentWidget()))
        return *sub;
    return window;
}

QString FormKey(const QWidget& window) {
    return QString(kFormsKey) + "\\" + window.objectName();
}

QSize ScreenSize(const QWidget& window) {
    if (const QScreen* screen = window.screen())
        return screen->size();
    return DefaultScreenSize();
}
} // namespace

void RestoreWindowPlacement(QWidget& window) {
    RestoreWindowPlacement(window, TSettingsStore::Global());
}
void SaveWindowPlacement(QWidget& window) {
    SaveWindowPlacement(window, TSettingsStore::Global());
}

void RestoreWindowPlacement(QWidget& window, TSettingsStore& store) {
    QWidget& placed = PlacedWidget(window);
    auto* sub = qobject_cast<QMdiSubWindow*>(&placed);
    try {
        TRegistry registry(store);
        if (!registry.OpenKey(FormKey(window), TKeyAccess::OpenExisting))
            throw TSettingsError("no placement");
        placed.move(registry.ReadInteger("Left"), registry.ReadInteger("Top"));
        if (HasDialogBorder(window))
            return;
        if (registry.ReadBool("Maximized")) {
            // Only the state: the window is shown by its owner when it is ready.
            placed.setWindowState(placed.windowState() | Qt::WindowMaximized);
            return;
        }
        QSize size(registry.ReadInteger("Width"), registry.ReadInteger("Height"));
        if (sub && sub->mdiArea()) {
            const QSize client = sub->mdiArea()->viewport()->size();
            if (client.width() < size.width())
                size.setWidth(client.width() - 30);
            if (client.height() < size.height())
                size.setHeight(client.height() - 80);
        }
        placed.resize(size);
    } catch (const std::exception&) {
        if (!sub && window.isWindow() && window.parentWidget()) {
            // A dialog without a stored place: Qt centres it on its parent when it is shown.
            window.setAttribute(Qt::WA_Moved, false);
        } else if (sub || window.parentWidget())
            placed.move(0, 0);
        else
            placed.setWindowState(placed.windowState() | Qt::WindowMaximized);
    }
}

void SaveWindowPlacement(QWidget& window, TSettingsStore& store) {
    QWidget& placed = PlacedWidget(window);
    TRegistry registry(store);
    if (!registry.OpenKey(FormKey(window), TKeyAccess::CreateIfMissing))
        return;
    const bool maximized = placed.isMaximized();
    // A maximised window keeps its normal place, so that restoring it un-maximises sensibly.
    const QRect rect = maximized && placed.isWindow() ? placed.normalGeometry() : placed.geometry();
    const QRect frame = placed.isWindow() ? QRect(placed.frameGeometry().topLeft(), rect.size()) : rect;
    registry.WriteInteger("Left", std::max(0, frame.left()));
    registry.WriteInteger("Top", std::max(0, frame.top()));
    if (HasDialogBorder(window))
        return;
    registry.WriteBool("Maximized", maximized);
    const QSize screen = ScreenSize(placed);
    QPoint centred = placed.pos();
    if (frame.left() > screen.width())
        centred.setX((screen.width() - frame.width()) / 2);
    if (frame.top() > screen.height())
        centred.setY((screen.height() - frame.height()) / 2);
    if (centred != placed.pos())
        placed.move(centred);
    registry.WriteInteger("Width", rect.width());
    registry.WriteInteger("Height", rect.height());
}
