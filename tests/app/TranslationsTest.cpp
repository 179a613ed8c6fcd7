// The English catalogue: complete in the source, and resolvable from the embedded .qm.

#include "tests/app/AppTestSupport.h"

#include "app/core/Translations.h"

#include <QFile>
#include <QMap>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

// id → translation of every message in the .ts file.
QMap<QString, QString> messagesOf(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QMap<QString, QString> messages;
    QXmlStreamReader xml(&file);
    QString id;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"message") {
            id = xml.attributes().value(QLatin1StringView("id")).toString();
            EXPECT_FALSE(id.isEmpty()) << "a message without an id";
            EXPECT_FALSE(messages.contains(id)) << "duplicate id " << id.toStdString();
            messages.insert(id, QString());
        } else if (xml.name() == u"translation") {
            EXPECT_TRUE(xml.attributes().value(QLatin1StringView("type")).isEmpty())
                << id.toStdString() << " is not finished";
            messages[id] = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

class TranslationsTest : public test::AppCoreTest {};

TEST_F(TranslationsTest, EveryKeyHasATextAndTheBuiltCatalogueGivesIt)
{
    const QMap<QString, QString> messages = messagesOf(QStringLiteral(BRISVANE_TS_FILE));
    ASSERT_GT(messages.size(), 100);
    QTranslator catalogue;
    ASSERT_TRUE(catalogue.load(QLatin1StringView(Translations::kEnglishCatalogue)));
    for (auto it = messages.cbegin(); it != messages.cend(); ++it) {
        EXPECT_FALSE(it.value().trimmed().isEmpty()) << it.key().toStdString();
        EXPECT_EQ(catalogue.translate(nullptr, it.key().toUtf8().constData()), it.value())
            << it.key().toStdString();
        // Qt arguments only: a printf-style placeholder would be shown to the user as is.
        for (const char* printf : {"%@", "%d", "%s", "%ld", "%lld", "%f"})
            EXPECT_FALSE(it.value().contains(QLatin1StringView(printf)))
                << it.key().toStdString() << ": " << it.value().toStdString();
    }
}

} // namespace
} // namespace brisvane
