#pragma once
// What the main window shows until the dashboard arrives: the CPU and GPU temperatures, one row
// per fan (this model's rows), the active preset and what the helper is doing.

#include "app/ui/design/FanReadingsModel.h"

#include <QtQml/qqmlregistration.h>

namespace brisvane {

// The base is named in full so that the QML type registrar finds it in the design module.
class LiveReadings : public brisvane::FanReadingsModel {
    Q_OBJECT
    QML_ELEMENT

public:
    using FanReadingsModel::FanReadingsModel;

    // The active preset's name, or "Automatic".
    Q_PROPERTY(QString presetText READ presetText NOTIFY controlChanged)
    QString presetText() const { return m_presetText; }
    // The helper's install state, or what it is doing with the fans.
    Q_PROPERTY(QString helperText READ helperText NOTIFY controlChanged)
    QString helperText() const { return m_helperText; }

signals:
    void controlChanged();

protected:
    void observe(AppState* state) override;

private:
    void updateControl();

    QString m_presetText;
    QString m_helperText;
};

} // namespace brisvane
