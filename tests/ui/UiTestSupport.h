#pragma once
// Shared fixture for the user-interface tests: one QApplication per process on the offscreen
// platform (no display, no tray) with the English catalogue, and for every test fresh HOME and
// XDG folders with QStandardPaths in test mode, user defaults over a private settings file and
// an AppState built from ready-made parts around a PreviewHelperClient.

#include "app/core/AppState.h"
#include "app/core/PreviewHelperClient.h"
#include "app/core/UserDefaults.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace brisvane::test {

QApplication& uiApplication();

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString root() const { return m_root->path(); }
    QString makeDirectory(const QString& name) const;
    // Arguments as they follow the program's name.
    std::unique_ptr<UserDefaults> makeDefaults(const QStringList& arguments = {}) const;
    // The four parts with the helper `state`; the sampler is not started, tests ingest samples.
    std::unique_ptr<AppState> makeState(UserDefaults& defaults,
                                        HelperState state = HelperState::installed) const;
    PreviewHelperClient& previewHelper(AppState& state) const
    {
        return static_cast<PreviewHelperClient&>(state.helper());
    }

private:
    std::unique_ptr<QTemporaryDir> m_root;
};

} // namespace brisvane::test
