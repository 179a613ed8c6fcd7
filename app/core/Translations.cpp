#include "app/core/Translations.h"

#include "app/core/UserDefaults.h"

#include <QCoreApplication>
#include <QTranslator>

namespace brisvane {

QStringList Translations::availableLanguages()
{
    return {QStringLiteral("en"), QStringLiteral("de")};
}

QStringList Translations::preferredLanguages(const UserDefaults& defaults)
{
    const std::optional<QStringList> chosen =
        defaults.stringArrayValue(QStringLiteral("AppleLanguages"));
    if (chosen && !chosen->isEmpty())
        return *chosen;
    return QLocale::system().uiLanguages();
}

QLocale Translations::chooseLocale(const QStringList& preferred, const QLocale& system)
{
    const QStringList available = availableLanguages();
    for (const QString& tag : preferred) {
        // "de", "de-AT", "de_AT" and "de-Latn-AT" all name German; "C" names nothing.
        const QLocale locale(tag);
        const QString language = QLocale::languageToCode(locale.language());
        if (locale.language() == QLocale::C || !available.contains(language))
            continue;
        // A system in the plain C locale (scripts under LC_ALL=C) keeps its plain numbers.
        if (system.language() == QLocale::C && locale.language() == QLocale::English)
            return QLocale::c();
        const bool namesRegion = tag.size() > language.size();
        if (namesRegion)
            return locale;
        if (system.language() == locale.language())
            return system;
        return locale;
    }
    if (system.language() == QLocale::C)
        return QLocale::c(); // the system's C locale would group digits
    if (system.language() == QLocale::English)
        return system;
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

QTranslator* Translations::install(QCoreApplication& app, const QLocale& locale)
{
    QLocale::setDefault(locale);
    auto* translator = new QTranslator(&app);
    const QString directory = QLatin1StringView(kResourceDirectory);
    const bool loaded =
        translator->load(locale, QStringLiteral("brisvane"), QStringLiteral("_"), directory) ||
        translator->load(QStringLiteral("brisvane_en"), directory);
    if (!loaded || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace brisvane
