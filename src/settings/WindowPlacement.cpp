#include "settings/WindowPlacement.h"

#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

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

// The area a top-level window may take: the available area (without panels and docks) of the
// screen that holds the stored position, else of the window's own or the primary screen.
QRect AvailableArea(const QWidget& window, const QPoint& position) {
    const QScreen* screen = QGuiApplication::screenAt(position);
    if (!screen)
        screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), DefaultScreenSize());
}

// Width and height the window frame adds to the client area. It is known once the window has
// been shown; before, the frame of the window it belongs to is the best guess.
QSize FrameExtra(const QWidget& window) {
    if (!window.isWindow())
        return {0, 0};
    const auto extra = [](const QWidget& shown) {
        const QRect frame = shown.frameGeometry();
        const QRect client = shown.geometry();
        return QSize(std::max(0, frame.width() - client.width()),
                     std::max(0, frame.height() - client.height()));
    };
    if (!window.isVisible() && window.parentWidget() && window.parentWidget()->window()->isVisible())
        return extra(*window.parentWidget()->window());
    return extra(window);
}

// Once a restored window is shown its frame is known, and the frame is kept within the
// available area then: a title bar the estimate missed would otherwise push it off the screen.
class TKeepFrameOnScreen : public QObject {
public:
    explicit TKeepFrameOnScreen(QWidget& window) : QObject(&window), m_window(window) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            m_window.removeEventFilter(this);
            // The window system gives the frame its place just after the show.
            QTimer::singleShot(0, this, [this] {
                KeepOnScreen();
                deleteLater();
            });
        }
        return false;
    }

private:
    void KeepOnScreen() {
        if (m_window.isMaximized() || m_window.isFullScreen() || !m_window.isVisible())
            return;
        const QRect frame = m_window.frameGeometry();
        const QRect area = AvailableArea(m_window, frame.topLeft());
        const QRect kept = KeptWithin(frame.topLeft(), frame.size(), area);
        if (kept == frame)
            return;
        if (kept.size() != frame.size())
            m_window.resize(m_window.size() - (frame.size() - kept.size()));
        m_window.move(kept.topLeft());
    }

    QWidget& m_window;
};

QSize ScreenSize(const QWidget& window) {
    if (const QScreen* screen = window.screen())
        return screen->size();
    return DefaultScreenSize();
}
} // namespace

QRect KeptWithin(const QPoint& position, const QSize& size, const QRect& area) {
    if (area.isEmpty())
        return {position, size};
    const int width = std::clamp(size.width(), 1, area.width());
    const int height = std::clamp(size.height(), 1, area.height());
    // 64-bit arithmetic: stored edges may be anything a 32-bit value holds.
    const auto left =
        std::clamp<qint64>(position.x(), area.left(), qint64(area.left()) + area.width() - width);
    const auto top =
        std::clamp<qint64>(position.y(), area.top(), qint64(area.top()) + area.height() - height);
    return {int(left), int(top), width, height};
}

bool RestoreWindowPlacement(QWidget& window) {
    return RestoreWindowPlacement(window, TSettingsStore::Global());
}
void SaveWindowPlacement(QWidget& window) {
    SaveWindowPlacement(window, TSettingsStore::Global());
}

bool RestoreWindowPlacement(QWidget& window, TSettingsStore& store) {
    QWidget& placed = PlacedWidget(window);
    auto* sub = qobject_cast<QMdiSubWindow*>(&placed);
    // A stored placement never puts a window outside the area it can be seen in, nor makes it
    // larger than that area: a damaged value would otherwise cost a window of any size.
    const auto keepWithin = [&](const QPoint& position, const QSize& size) {
        if (sub && sub->mdiArea())
            return KeptWithin(position, size, QRect(QPoint(0, 0), sub->mdiArea()->viewport()->size()));
        if (placed.isWindow()) {
            const QSize extra = FrameExtra(placed);
            const QRect area = AvailableArea(placed, position);
            const QRect frame = KeptWithin(position, size.boundedTo(QSize(1 << 24, 1 << 24)) + extra, area);
            return QRect(frame.topLeft(), frame.size() - extra);
        }
        return QRect(position, size.boundedTo(QSize(1 << 16, 1 << 16)));
    };
    try {
        TRegistry registry(store);
        if (!registry.OpenKey(FormKey(window), TKeyAccess::OpenExisting))
            throw TSettingsError("no placement");
        const QPoint position(registry.ReadInteger("Left"), registry.ReadInteger("Top"));
        const bool sized = !HasDialogBorder(window);
        const bool maximized = sized && registry.ReadBool("Maximized");
        QSize size = sized && !maximized
                         ? QSize(registry.ReadInteger("Width"), registry.ReadInteger("Height"))
                         : placed.size();
        // No window is that small: the stored place is damaged and taken as none.
        if (size.width() <= 0 || size.height() <= 0)
            throw TSettingsError("no size");
        placed.move(keepWithin(position, placed.size()).topLeft());
        if (placed.isWindow() && !sub)
            new TKeepFrameOnScreen(placed);
        if (!sized)
            return true;
        if (maximized) {
            // Only the state: the window is shown by its owner when it is ready.
            placed.setWindowState(placed.windowState() | Qt::WindowMaximized);
            return true;
        }
        if (sub && sub->mdiArea()) {
            const QSize client = sub->mdiArea()->viewport()->size();
            if (client.width() < size.width())
                size.setWidth(client.width() - 30);
            if (client.height() < size.height())
                size.setHeight(client.height() - 80);
        }
        const QRect kept = keepWithin(position, size);
        placed.resize(kept.size());
        placed.move(kept.topLeft());
        return true;
    } catch (const std::exception&) {
        if (!sub && window.isWindow() && window.parentWidget()) {
            // A dialog without a stored place: Qt centres it on its parent when it is shown.
            window.setAttribute(Qt::WA_Moved, false);
        } else if (sub || window.parentWidget())
            placed.move(0, 0);
        else
            placed.setWindowState(placed.windowState() | Qt::WindowMaximized);
    }
    return false;
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
