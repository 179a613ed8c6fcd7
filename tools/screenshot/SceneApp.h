#pragma once
// One picture's app, composed as main() composes the real one but over settings of its own (the
// appearance, and the section the window opens with, as launch arguments over the app's
// registered defaults, in a temporary folder): the user's own settings stay untouched.

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/HelperControlling.h"
#include "app/core/UserDefaults.h"
#include "app/ui/BrisvaneApp.h"
#include "app/ui/design/WindowDefaults.h"

#include "smc/Clock.h"

#include <QQuickWindow>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace brisvane::screenshot {

class SceneApp {
public:
    explicit SceneApp(const QString& scheme, const QString& initialSection = {});

    UserDefaults& defaults() { return m_defaults; }
    // The preset store's folder (not made until a scene or the store needs it).
    QString presetDirectory() const;

    // The real graph, against the system root in BRISVANE_SYSTEM_ROOT, sampling.
    AppState& composeLive();
    // The four parts ready-made on `helper`: two fans, the presets in presetDirectory(), the
    // sampler started when `sampling`, the alerts judging time by `alertsClock` (which must
    // outlive this).
    enum class Sampling { off, started };
    AppState& compose(std::unique_ptr<HelperControlling> helper, Sampling sampling = Sampling::off,
                      const Clock& alertsClock = SteadyClock::shared());
    AppState& state() const { return *m_state; }

    // The scenes on the composed state, the main window shown when `present`; false when a
    // window could not be created.
    bool build(bool present = true);
    BrisvaneApp& app() const { return *m_app; }
    QQuickWindow& mainWindow() const { return *m_app->mainWindow(); }

private:
    QTemporaryDir m_folder;
    UserDefaults m_defaults;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<BrisvaneApp> m_app;
};

} // namespace brisvane::screenshot
