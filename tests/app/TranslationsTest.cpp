// The catalogues against each other and against the code, and the choice of language.

#include "tests/app/AppTestSupport.h"

#include "app/core/Translations.h"
#include "app/core/UserDefaults.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

struct Message {
    QString source;
    QString translation;
};

// id → message of every message in a .ts file, with a failure for each unfinished one.
QMap<QString, Message> messagesOf(const QString& language)
{
    const QString path =
        QStringLiteral(BRISVANE_SOURCE_DIR "/app/i18n/brisvane_%1.ts").arg(language);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QMap<QString, Message> messages;
    QXmlStreamReader xml(&file);
    QString id;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"message") {
            id = xml.attributes().value(QLatin1StringView("id")).toString();
            EXPECT_FALSE(id.isEmpty()) << language.toStdString() << ": a message without an id";
            EXPECT_FALSE(messages.contains(id)) << "duplicate id " << id.toStdString();
            messages.insert(id, {});
        } else if (xml.name() == u"source") {
            messages[id].source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            EXPECT_TRUE(xml.attributes().value(QLatin1StringView("type")).isEmpty())
                << language.toStdString() << ": " << id.toStdString() << " is not finished";
            messages[id].translation = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

// The placeholders of a text, sorted: "%1", "%L2", "%n".
QStringList placeholdersOf(const QString& text)
{
    static const QRegularExpression placeholder(QStringLiteral("%L?(\\d+|n)"));
    QStringList found;
    for (const QRegularExpressionMatch& match : placeholder.globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}

// Every key the code looks up: literal ids handed to qtTrId/qsTrId, and ids in tables, which
// are marked with QT_TRID_NOOP.
QSet<QString> keysUsedByTheCode()
{
    static const QRegularExpression lookup(
        QStringLiteral("\\b(?:qtTrId|qsTrId|QT_TRID_NOOP)\\(\\s*\"([^\"]+)\""));
    QSet<QString> keys;
    for (const char* folder : {"/app", "/shared"}) {
        QDirIterator files(
            QStringLiteral(BRISVANE_SOURCE_DIR) + QLatin1StringView(folder),
            {QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.qml")}, QDir::Files,
            QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(file.readAll());
            for (const QRegularExpressionMatch& match : lookup.globalMatch(text))
                keys.insert(match.captured(1));
        }
    }
    return keys;
}

class TranslationsTest : public test::AppCoreTest {};

TEST_F(TranslationsTest, EveryCatalogueIsCompleteKeepsThePlaceholdersAndIsBuilt)
{
    const QMap<QString, Message> english = messagesOf(QStringLiteral("en"));
    ASSERT_GT(english.size(), 100);
    for (const QString& language : Translations::availableLanguages()) {
        SCOPED_TRACE(language.toStdString());
        const QMap<QString, Message> messages = messagesOf(language);
        EXPECT_EQ(QStringList(messages.keys()), QStringList(english.keys()))
            << "both catalogues hold the same keys";
        QTranslator built;
        ASSERT_TRUE(built.load(QStringLiteral(":/i18n/brisvane_%1.qm").arg(language)));
        for (auto it = messages.cbegin(); it != messages.cend(); ++it) {
            const std::string key = it.key().toStdString();
            const QString& text = it.value().translation;
            EXPECT_FALSE(text.trimmed().isEmpty()) << key;
            EXPECT_EQ(placeholdersOf(text), placeholdersOf(english.value(it.key()).source))
                << key << ": " << text.toStdString();
            // Qt arguments only: a printf-style placeholder would be shown to the user as is.
            for (const char* printf : {"%@", "%d", "%s", "%ld", "%lld", "%f"})
                EXPECT_FALSE(text.contains(QLatin1StringView(printf))) << key;
            EXPECT_EQ(built.translate(nullptr, it.key().toUtf8().constData()), text) << key;
        }
    }
}

TEST_F(TranslationsTest, TheCodeUsesEveryKeyAndOnlyKeysTheCataloguesHave)
{
    const QSet<QString> used = keysUsedByTheCode();
    const QStringList keys = messagesOf(QStringLiteral("en")).keys();
    const QSet<QString> catalogued(keys.cbegin(), keys.cend());
    for (const QString& key : used - catalogued)
        ADD_FAILURE() << "the code looks up " << key.toStdString() << ", which no catalogue has";
    for (const QString& key : catalogued - used)
        ADD_FAILURE() << "nothing looks up " << key.toStdString();
}

TEST_F(TranslationsTest, TheFirstPreferredLanguageWithACatalogueWins)
{
    const QLocale usEnglish(QLocale::English, QLocale::UnitedStates);
    const QLocale swissGerman(QLocale::German, QLocale::Switzerland);
    const QLocale french(QLocale::French, QLocale::France);
    struct Case {
        QStringList preferred;
        QLocale system;
        QLocale chosen;
    } cases[] = {
        {{"de"}, usEnglish, QLocale(QLocale::German, QLocale::Germany)},
        {{"de-AT"}, usEnglish, QLocale(QLocale::German, QLocale::Austria)},
        {{"de"}, swissGerman, swissGerman}, // the system's region when it speaks German
        {{"fr", "de"}, french, QLocale(QLocale::German, QLocale::Germany)},
        {{"en-GB"}, swissGerman, QLocale(QLocale::English, QLocale::UnitedKingdom)},
        {{"fr"}, french, usEnglish},      // no French texts: English, numbers included
        {{}, QLocale::c(), QLocale::c()}, // scripts run under LC_ALL=C keep plain numbers
        {{"en-US"}, QLocale::c(), QLocale::c()},
        {{"C"}, swissGerman, usEnglish},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Translations::chooseLocale(c.preferred, c.system), c.chosen)
            << c.preferred.join(u',').toStdString() << " on " << c.system.name().toStdString();
}

TEST_F(TranslationsTest, ALaunchArgumentSwitchesTextsAndNumbersToGerman)
{
    const std::unique_ptr<UserDefaults> defaults =
        makeDefaults({QStringLiteral("-AppleLanguages"), QStringLiteral("(de)")});
    ASSERT_EQ(Translations::preferredLanguages(*defaults), QStringList{QStringLiteral("de")});

    const QLocale before;
    QTranslator* german = Translations::install(
        *QCoreApplication::instance(),
        Translations::chooseLocale(Translations::preferredLanguages(*defaults), before));
    ASSERT_NE(german, nullptr);
    EXPECT_EQ(qtTrId("menuBar.quitButton"), QStringLiteral("Beenden"));
    EXPECT_EQ(qtTrId("shared.fan.numbered").arg(2), QStringLiteral("Lüfter 2"));
    EXPECT_EQ(QLocale().toString(2400), QStringLiteral("2.400"));

    QCoreApplication::removeTranslator(german);
    delete german;
    QLocale::setDefault(before);
    EXPECT_EQ(qtTrId("menuBar.quitButton"), QStringLiteral("Quit"));
}

} // namespace
} // namespace brisvane
