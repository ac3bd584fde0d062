#pragma once
// The one exception type of the program: a failure with a message for the user.

#include <QString>
#include <stdexcept>

class TAMOError : public std::runtime_error {
public:
    explicit TAMOError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};
