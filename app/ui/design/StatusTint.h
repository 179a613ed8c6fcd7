#pragma once
// The colours a status is drawn in, as the models that decide a status name them. The theme
// resolves each for the appearance (AppColors::tint), so no model or screen holds a colour.

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class StatusTint : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("an enumeration")

public:
    // Secondary: the quiet secondary text; Warning: the caption's orange; Gray, Green, Orange and
    // Red: the system colours the settings' rows use. Capitalised, as QML reads enumerators.
    enum class Tint { Secondary, Accent, Warning, Gray, Green, Orange, Red };
    Q_ENUM(Tint)
};

} // namespace brisvane
