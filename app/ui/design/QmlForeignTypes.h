#pragma once
// The app-core classes as QML sees them. They live in a QtCore-only library, so they are
// registered here, as foreign types of this module: QML may read them, never create them.

#include "app/core/Alerts.h"
#include "app/core/AppState.h"
#include "app/core/ControlEngine.h"
#include "app/core/FanPreset.h"
#include "app/core/HelperControlling.h"
#include "app/core/PresetStore.h"
#include "app/core/TelemetryStore.h"

#include <QQmlEngine>
#include <QtQml/qqmlregistration.h>

namespace brisvane::qml {

struct AppStateForeign {
    Q_GADGET
    QML_FOREIGN(brisvane::AppState)
    QML_NAMED_ELEMENT(AppState)
    QML_UNCREATABLE("AppState is created once by the application")
};

struct TelemetryStoreForeign {
    Q_GADGET
    QML_FOREIGN(brisvane::TelemetryStore)
    QML_NAMED_ELEMENT(TelemetryStore)
    QML_UNCREATABLE("part of AppState")
};

struct HelperControllingForeign {
    Q_GADGET
    QML_FOREIGN(brisvane::HelperControlling)
    QML_NAMED_ELEMENT(HelperControlling)
    QML_UNCREATABLE("part of AppState")
};

struct PresetStoreForeign {
    Q_GADGET
    QML_FOREIGN(brisvane::PresetStore)
    QML_NAMED_ELEMENT(PresetStore)
    QML_UNCREATABLE("part of AppState")
};

struct ControlEngineForeign {
    Q_GADGET
    QML_FOREIGN(brisvane::ControlEngine)
    QML_NAMED_ELEMENT(ControlEngine)
    QML_UNCREATABLE("part of AppState")
};

struct AlertsForeign {
    Q_GADGET
    QML_FOREIGN(brisvane::Alerts)
    QML_NAMED_ELEMENT(Alerts)
    QML_UNCREATABLE("part of AppState")
};

// A preset's enums, FanPreset.Source among them, for the pickers that pass them; the preset
// itself stays a C++ value.
namespace FanPresetForeign {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(brisvane::FanPreset)
QML_NAMED_ELEMENT(FanPreset)
} // namespace FanPresetForeign

} // namespace brisvane::qml
