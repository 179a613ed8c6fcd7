#include "tests/app/AppTestSupport.h"

#include "app/core/Translations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace brisvane {

void PrintTo(const FanCurvePoint& point, std::ostream* os)
{
    *os << "(" << point.tempC << ", " << point.percent << ")";
}

void PrintTo(const FanCurve& curve, std::ostream* os)
{
    *os << "[";
    for (const FanCurvePoint& point : curve.points)
        PrintTo(point, os);
    *os << "]";
}

void PrintTo(const FanPreset& preset, std::ostream* os)
{
    *os << "FanPreset{" << preset.idText().toStdString() << ", \"" << preset.name.toStdString()
        << "\", " << preset.symbolName.toStdString() << ", " << preset.curves.size()
        << " curves, builtIn=" << preset.isBuiltIn << ", source=\""
        << preset.temperatureSourceText.toStdString() << "\"}";
}

void PrintTo(const PresetSlot& slot, std::ostream* os)
{
    *os << slot.id().toStdString();
}

} // namespace brisvane

namespace brisvane::test {
namespace {

QList<LogCapture::Entry>* g_entries = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_entries)
        g_entries->append({type, QString::fromUtf8(context.category), message});
}

} // namespace

QCoreApplication& application()
{
    static int argc = 1;
    static char name[] = "brisvane_app_core_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = [] {
        QStandardPaths::setTestModeEnabled(true);
        auto* created = new QCoreApplication(argc, argv);
        // Texts and numbers as the tests expect them, whatever the machine's language.
        if (!Translations::install(*created, QLocale(QLocale::English, QLocale::UnitedStates)))
            ADD_FAILURE() << "the English catalogue did not load";
        return created;
    }();
    return *app;
}

void AppCoreTest::SetUp()
{
    application();
    m_root = std::make_unique<TemporaryRoot>();
    // QStandardPaths reads these on every call, so each test gets its own user folders.
    m_env = std::make_unique<ScopedEnvironment>(userFolders(m_root->path()));
    ASSERT_TRUE(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).startsWith(root()));
}

void AppCoreTest::TearDown()
{
    m_env.reset();
    m_root.reset();
}

void AppCoreTest::setEnv(const char* name, const std::optional<QString>& value)
{
    m_env->set(name, value ? std::optional(value->toStdString()) : std::nullopt);
}

QString AppCoreTest::makeDirectory(const QString& name) const
{
    return QString::fromStdString(m_root->makeDirectory(name.toStdString()).string());
}

std::unique_ptr<UserDefaults> AppCoreTest::makeDefaults(const QStringList& arguments) const
{
    QStringList withProgram = arguments;
    withProgram.prepend(QStringLiteral("Brisvane"));
    return std::make_unique<UserDefaults>(
        withProgram, std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat));
}

LogCapture::LogCapture()
{
    Q_ASSERT(!g_entries);
    g_entries = new QList<Entry>;
    m_previous = qInstallMessageHandler(captureMessage);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    delete g_entries;
    g_entries = nullptr;
}

QList<LogCapture::Entry> LogCapture::inCategory(const QString& category) const
{
    QList<Entry> result;
    for (const Entry& entry : *g_entries)
        if (entry.category == category)
            result.append(entry);
    return result;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(data), data.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace brisvane::test
