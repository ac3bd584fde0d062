#pragma once
// The one guard every event-loop entry point (action, slot, event handler, timer) runs its body
// through: an exception becomes an "Error" message box and the program goes on.

#include <QString>
#include <exception>
#include <functional>

class QWidget;

// Runs an event-loop entry point's body; an exception becomes an "Error" message box and the
// program goes on. Nothing thrown ever reaches Qt's event loop.
void Guarded(const std::function<void()>& body, QWidget* parent = nullptr);
QString ErrorText(const std::exception& error);
