#pragma once
// Thrown when a file the user chose cannot be read at all (missing, unreadable, not local), as
// opposed to a file that was read and does not decode; the description is the system's reason.

#include <QString>

#include <stdexcept>

namespace brisvane {

class FileReadError : public std::runtime_error {
public:
    explicit FileReadError(const QString& description)
        : std::runtime_error(description.toStdString())
        , m_description(description)
    {}
    const QString& description() const { return m_description; }

private:
    QString m_description;
};

} // namespace brisvane
