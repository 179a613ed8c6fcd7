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
        << " curves, builtIn=" << preset.isBuiltIn << "}";
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
        if (!Translations::install(*created))
            ADD_FAILURE() << "the English catalogue did not load";
        return created;
    }();
    return *app;
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<QString>& value)
    : m_name(name)
{
    if (qEnvironmentVariableIsSet(name))
        m_old = qgetenv(name);
    if (value)
        qputenv(name, QFile::encodeName(*value));
    else
        qunsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        qputenv(m_name, *m_old);
    else
        qunsetenv(m_name);
}

void AppCoreTest::SetUp()
{
    application();
    m_root = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(m_root->isValid());
    // QStandardPaths reads these on every call, so each test gets its own user folders.
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        m_userFolders.push_back(std::make_unique<ScopedEnv>(
            variable, makeDirectory(QString::fromLatin1(variable).toLower())));
    ASSERT_TRUE(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                    .startsWith(m_root->path()));
}

void AppCoreTest::TearDown()
{
    m_userFolders.clear();
    m_root.reset();
}

QString AppCoreTest::makeDirectory(const QString& name) const
{
    const QString path = m_root->filePath(name);
    QDir().mkpath(path);
    return path;
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
