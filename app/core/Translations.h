#pragma once
// The app's user-visible texts, looked up by key with qtTrId()/qsTrId() ("dashboard.fans.title").
// The catalogues are embedded in this library as :/i18n/brisvane_<language>.qm. English is the
// source language and the fallback for every language without a catalogue.
//
// The language follows the user's preferred languages as a Mac app's does: the
// "AppleLanguages" default when it is set (a launch argument -AppleLanguages "(de)" sets it for
// one run), else the system's. Numbers are formatted in the chosen language too, so a German
// window never shows "2,400 rpm" beside German words.

#include <QLocale>
#include <QStringList>

class QCoreApplication;
class QTranslator;

namespace brisvane {

class UserDefaults;

struct Translations {
    // The languages that have a catalogue, English first.
    static QStringList availableLanguages();

    // The language tags the user prefers, best first.
    static QStringList preferredLanguages(const UserDefaults& defaults);

    // The locale for texts and numbers: the first preferred language with a catalogue, in the
    // region the tag names, else in the system's region when the system speaks that language,
    // else in the language's main region. When no preferred language has a catalogue the texts
    // are English, with the system's numbers if it speaks English. English on a system in the
    // plain C locale keeps the C locale's numbers.
    static QLocale chooseLocale(const QStringList& preferred, const QLocale& system);

    // Makes `locale` the default of every QLocale() and installs its catalogue (or English) on
    // `app`. Returns the translator, owned by `app`, or null when no catalogue could be loaded.
    static QTranslator* install(QCoreApplication& app, const QLocale& locale);

    static constexpr char kResourceDirectory[] = ":/i18n";
};

} // namespace brisvane
