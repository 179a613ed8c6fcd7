#pragma once
// What the menu-bar panel shows, recomputed from the state whenever an observed value changes:
// one row per fan of the latest sample (this model's rows), the CPU and GPU maxima, the helper's
// install state and phase, and the preset chips. Choosing a chip goes through here too.

#include "app/ui/design/FanReadingsModel.h"

#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

// The base is named in full so that the QML type registrar finds it in the design module.
class MenuBarModel : public brisvane::FanReadingsModel {
    Q_OBJECT
    QML_ELEMENT

public:
    static constexpr double kMinimumFill = 8;

    // The speed bar's fill width in a track `trackWidth` wide: the share of the maximum,
    // clamped to [0, 1] (0 without a maximum), but never under the 8-point minimum.
    static double fanFillWidth(double actualRPM, double maxRPM, double trackWidth);
    // "45 °C", rounded half away from zero.
    static QString degreesText(double celsius);

    using FanReadingsModel::FanReadingsModel;

    // Installed or unreachable: the controls; otherwise the hint.
    Q_PROPERTY(bool helperInstalled READ helperInstalled NOTIFY helperChanged)
    bool helperInstalled() const;
    // The daemon is unlocking the fans.
    Q_PROPERTY(bool isTakingControl READ isTakingControl NOTIFY helperChanged)
    bool isTakingControl() const;
    // The daemon's last phase is failed.
    Q_PROPERTY(bool controlUnavailable READ controlUnavailable NOTIFY helperChanged)
    bool controlUnavailable() const;

    // Automatic first, then the presets in their stored order: {id, title, symbol, active}.
    Q_PROPERTY(QVariantList chips READ chips NOTIFY chipsChanged)
    QVariantList chips() const;
    // `id` "" is the automatic slot.
    Q_INVOKABLE void choosePreset(const QString& id);

signals:
    void helperChanged();
    void chipsChanged();

protected:
    void observe(AppState* state) override;

private:
    // The daemon's last reported phase is `phase`.
    bool lastPhaseIs(HelperControlPhase phase) const;
};

// The rows' rules as QML calls them.
class MenuBarRows : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE static double fanFillWidth(double actualRPM, double maxRPM, double trackWidth)
    {
        return MenuBarModel::fanFillWidth(actualRPM, maxRPM, trackWidth);
    }
    Q_INVOKABLE static QString degreesText(double celsius)
    {
        return MenuBarModel::degreesText(celsius);
    }
};

} // namespace brisvane
