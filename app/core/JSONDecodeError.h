#pragma once
// Thrown by the JSON decoders of the preset model when a document does not have the required
// shape; the description names the offending key.

#include <QString>

#include <stdexcept>

namespace brisvane {

class JSONDecodeError : public std::runtime_error {
public:
    explicit JSONDecodeError(const QString& description)
        : std::runtime_error(description.toStdString())
        , m_description(description)
    {}
    const QString& description() const { return m_description; }

private:
    QString m_description;
};

} // namespace brisvane
