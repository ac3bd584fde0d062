#include "common/Guarded.h"

#include "common/Dialogs.h"

QString ErrorText(const std::exception& error) {
    return QString::fromStdString(error.what());
}

void Guarded(const std::function<void()>& body, QWidget* parent) {
    try {
        body();
    } catch (const std::exception& error) {
        Dialogs::ShowError(parent, ErrorText(error));
    }
}
