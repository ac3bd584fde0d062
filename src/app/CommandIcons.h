#pragma once
// The small pictures of the frame's commands, drawn in code so that they scale with the screen.

#include <QIcon>
#include <QString>

// The icon of a command by its action name; a null icon for a command without one.
QIcon CommandIcon(const QString& actionName);
