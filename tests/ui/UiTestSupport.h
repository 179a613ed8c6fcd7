#pragma once
// One offscreen QApplication per process; per test, fresh folders, defaults and an AppState.

#include "tests/support/Environment.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/PreviewHelperClient.h"
#include "app/core/UserDefaults.h"
#include "app/ui/BrisvaneApp.h"

#include <QApplication>
#include <QQmlEngine>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace brisvane::test {

QApplication& uiApplication();

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override; // also gives the platform its own palette back

    QString root() const { return m_root->path(); }
    QString makeDirectory(const QString& name) const;
    // Arguments as they follow the program's name.
    std::unique_ptr<UserDefaults> makeDefaults(const QStringList& arguments = {}) const;
    // The four parts with the helper `state`; the sampler is not started, tests ingest samples.
    std::unique_ptr<AppState> makeState(UserDefaults& defaults,
                                        HelperState state = HelperState::installed) const;
    std::unique_ptr<AppState> makeState(UserDefaults& defaults,
                                        std::unique_ptr<HelperControlling> helper) const;
    PreviewHelperClient& previewHelper(AppState& state) const
    {
        return static_cast<PreviewHelperClient&>(state.helper());
    }
    // A light or dark platform palette, as a desktop's appearance switch sets it.
    static void setPlatformDark(bool dark);
    // `qml` made by `engine`; null, and a failure with the component's errors, if it fails.
    static std::unique_ptr<QObject> create(QQmlEngine& engine, const char* qml);

private:
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<ScopedEnvironment> m_env;
};

// The whole app as main() builds it: the state, the delegate and the scenes.
class AppTest : public UiTest {
protected:
    void TearDown() override;
    void launch(const QStringList& arguments = {}, bool present = true,
                HelperState helper = HelperState::installed);

    int m_terminated = 0;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<BrisvaneApp> m_app;
};

} // namespace brisvane::test
