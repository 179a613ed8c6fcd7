// Symbols never come out blank: every name the app uses maps to an embedded icon, or a fallback.

#include "tests/ui/UiTestSupport.h"

#include "app/ui/design/SymbolImageProvider.h"
#include "app/ui/design/SymbolTable.h"
#include "app/ui/window/MainSection.h"

#include "app/core/FanPreset.h"
#include "app/core/PresetStore.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

// The names written in the app's QML and C++: `symbol: "…"`, `symbolName: "…"`, a SymbolImage's
// `name: "…"`, image://symbol/… URLs, and C++ constants named …SymbolName.
QSet<QString> symbolNamesInSources()
{
    static const QRegularExpression patterns[] = {
        QRegularExpression(QString::fromLatin1(R"re(\b(?:symbol|symbolName)\s*:\s*"([^"]+)")re")),
        QRegularExpression(
            QString::fromLatin1(R"re(SymbolImage\s*\{[^}]*?\bname\s*:\s*"([^"]+)")re")),
        QRegularExpression(QString::fromLatin1(R"re(image://symbol/([a-z0-9.]+))re")),
        QRegularExpression(QString::fromLatin1(R"re(SymbolName\[\]\s*=\s*"([^"]+)")re")),
    };
    QSet<QString> names;
    QDirIterator files(QStringLiteral(BRISVANE_SOURCE_DIR "/app"),
                       {QStringLiteral("*.qml"), QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpression& pattern : patterns)
            for (const QRegularExpressionMatch& match : pattern.globalMatch(text))
                names.insert(match.captured(1));
    }
    return names;
}

class SymbolsTest : public test::UiTest {};

TEST_F(SymbolsTest, EveryNameTheAppUsesIsMappedToAnEmbeddedIcon)
{
    QSet<QString> names = symbolNamesInSources();
    EXPECT_TRUE(names.contains(QStringLiteral("fanblades.slash")))
        << "the source scan found nothing";
    for (const FanPreset& preset : FanPreset::builtIns(2))
        names.insert(preset.symbolName);
    for (MainSection section : allMainSections)
        names.insert(iconName(section));
    names.insert(QString::fromLatin1(PresetStore::kNewPresetSymbolName));
    const SymbolTable& table = SymbolTable::shared();
    for (const QString& name : names)
        EXPECT_TRUE(table.iconName(name).has_value())
            << "no icon for \"" << name.toStdString() << "\": add it to symbols.table";

    QStringList icons{QString::fromLatin1(SymbolTable::kFallbackIcon)};
    for (const QString& name : table.symbolNames())
        icons.append(*table.iconName(name));
    for (const QString& icon : icons)
        EXPECT_TRUE(QSvgRenderer(SymbolTable::iconPath(icon)).isValid()) << icon.toStdString();
}

TEST_F(SymbolsTest, TheTableSkipsCommentsAndKeepsTheFirstOfATwiceNamedSymbol)
{
    const SymbolTable table = SymbolTable::parse(
        QStringLiteral("# name icon\nwind  weather-windy\n\nwind fan\nbroken\ncpu chip\n"));
    EXPECT_EQ(table.symbolNames(), QStringList({QStringLiteral("wind"), QStringLiteral("cpu")}));
    EXPECT_EQ(table.iconName(QStringLiteral("wind")), QStringLiteral("weather-windy"));
    EXPECT_FALSE(table.iconName(QStringLiteral("broken")).has_value());
}

// How many of the image's pixels are visible, and how many opaque ones are not the tint.
std::pair<int, int> coverage(const QImage& image, QColor tint)
{
    int visible = 0, offTint = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            visible += pixel.alpha() > 0;
            offTint += pixel.alpha() == 255 && pixel.rgb() != tint.rgb();
        }
    return {visible, offTint};
}

QStringList g_warnings;

void recordWarning(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        g_warnings.append(message);
}

TEST_F(SymbolsTest, TheProviderTintsAtTheRequestedSizeAndFallsBackVisibly)
{
    SymbolImageProvider provider;
    QSize size;
    const QImage snowflake =
        provider.requestImage(QStringLiteral("snowflake?color=ff3b30"), &size, QSize(48, 48));
    EXPECT_EQ(snowflake.size(), QSize(48, 48));
    EXPECT_EQ(size, QSize(48, 48));
    const auto [visible, offTint] = coverage(snowflake, QColor(0xff, 0x3b, 0x30));
    EXPECT_GT(visible, 48 * 48 / 10);
    EXPECT_EQ(offTint, 0);

    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
    const QImage unknown = provider.requestImage(QStringLiteral("no.such.symbol"), &size, {});
    provider.requestImage(QStringLiteral("no.such.symbol?color=%23ff0000"), &size, {});
    qInstallMessageHandler(previous);
    EXPECT_EQ(unknown.size(),
              QSize(SymbolImageProvider::kDefaultSize, SymbolImageProvider::kDefaultSize));
    EXPECT_GT(coverage(unknown, Qt::black).first, 0) << "the fallback is visible";
    EXPECT_EQ(g_warnings.size(), 1) << "logged once";
}

} // namespace
} // namespace brisvane
