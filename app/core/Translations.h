#pragma once
// The app's user-visible texts, looked up by key with qtTrId()/qsTrId() ("dashboard.fans.title").
// The catalogues are embedded in this library as :/i18n/brisvane_<language>.qm; English is the
// only one and the fallback for every other language.

class QCoreApplication;
class QTranslator;

namespace brisvane {

struct Translations {
    // Installs the best catalogue for the current locale on `app` (the translator is owned by
    // `app`). Returns false only when not even the English catalogue could be loaded.
    static bool install(QCoreApplication& app);

    static constexpr char kResourceDirectory[] = ":/i18n";
    static constexpr char kEnglishCatalogue[] = ":/i18n/brisvane_en.qm";
};

} // namespace brisvane
