#pragma once
// Shared fixture for the app-core tests: one QCoreApplication per process with the English
// catalogue, and for every test fresh user folders with QStandardPaths in test mode, so no test
// ever reads or writes the real user's files.

#include "tests/support/Environment.h"
#include "tests/support/Files.h"

#include "app/core/FanPreset.h"
#include "app/core/PresetSlot.h"
#include "app/core/UserDefaults.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <vector>

// Readable failure messages for the Qt and model types the tests compare.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace brisvane {
void PrintTo(const FanCurvePoint& point, std::ostream* os);
void PrintTo(const FanCurve& curve, std::ostream* os);
void PrintTo(const FanPreset& preset, std::ostream* os);
void PrintTo(const PresetSlot& slot, std::ostream* os);
} // namespace brisvane

namespace brisvane::test {

QCoreApplication& application();

class AppCoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A folder of its own inside this test's temporary root.
    QString makeDirectory(const QString& name) const;
    // Sets (nullopt: unsets) a variable until the test ends.
    void setEnv(const char* name, const std::optional<QString>& value);
    // User defaults over this test's settings file; several instances share it, as successive
    // launches of the app do.
    std::unique_ptr<UserDefaults> makeDefaults(const QStringList& arguments = {}) const;
    QString settingsPath() const { return root() + QStringLiteral("/settings.ini"); }
    QString root() const { return QString::fromStdString(m_root->path().string()); }

private:
    std::unique_ptr<TemporaryRoot> m_root;
    std::unique_ptr<ScopedEnvironment> m_env;
};

// Records what reaches the Qt message handler while it is alive.
class LogCapture {
public:
    struct Entry {
        QtMsgType type;
        QString category;
        QString message;
    };
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QList<Entry> inCategory(const QString& category) const;

private:
    QtMessageHandler m_previous;
};

// Writes `data` to `path`, creating its folder.
void writeFile(const QString& path, const QByteArray& data);
QByteArray readFile(const QString& path);

} // namespace brisvane::test
