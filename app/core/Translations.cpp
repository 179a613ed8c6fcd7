#include "app/core/Translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace brisvane {

bool Translations::install(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    const bool loaded = translator->load(QLocale(), QStringLiteral("brisvane"), QStringLiteral("_"),
                                         QLatin1StringView(kResourceDirectory)) ||
                        translator->load(QLatin1StringView(kEnglishCatalogue));
    if (!loaded || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace brisvane
