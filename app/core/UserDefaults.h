#pragma once
// The app's configuration store. A read searches three domains in order and the first that
// holds the key decides:
//   1. the argument domain: "-Key value" pairs from the process arguments, volatile, never
//      written anywhere;
//   2. the persistent store (QSettings: the native defaults on macOS, an INI file on Linux);
//   3. the registered defaults.
// Writes go to the persistent store only (and are synced at once), so a launch argument keeps
// overriding a stored value for that run without replacing it.
//
// Arguments: an argument "-Key" (a '-' then a letter or '_') followed by an argument that is
// not itself such a key sets Key to that argument; "-Key" without a value (a flag such as
// -DumpSMCKeys) or with empty text sets nothing. When a key is given twice the last one wins.
// Argument values are text, read as the Mac reads them:
//   string        the text itself;
//   bool          true when the first character after blanks, a sign and zeros is Y, y, T, t
//                 or a digit 1-9 ("YES", "true", "7"), false for anything else ("NO", "off");
//   double        the leading decimal number in C-locale notation ("5s" is 5); text with no
//                 leading number, infinities and NaN give no value;
//   string array  a property-list array "(a, b, "c d")" (items separated by commas, trimmed,
//                 optionally double-quoted with backslash escapes) or a JSON array of strings.
// An argument that does not read as the requested type gives no value (and a warning); it
// does not fall through to the stored value.
//
// Stored values go through the same conversions; in the INI file a one-element string array
// reads back as a plain string and counts as that one element.

#include <QObject>
#include <QSettings>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace brisvane {

class UserDefaults : public QObject {
    Q_OBJECT

public:
    // `arguments` as QCoreApplication::arguments() gives them (the program first).
    UserDefaults(const QStringList& arguments, std::unique_ptr<QSettings> store,
                 QObject* parent = nullptr);
    ~UserDefaults() override;

    // The app-wide instance: this process's arguments and the user's native settings for
    // "brisvane.org"/"Brisvane" (on macOS the domain org.brisvane.Brisvane). Needs a
    // QCoreApplication; lives until the process ends.
    static UserDefaults& standard();

    // The argument domain of an argument list, as described above.
    static QVariantMap argumentDomain(const QStringList& arguments);

    // Adds to the registered defaults (the lowest domain); never stored.
    void registerDefaults(const QVariantMap& defaults);

    bool contains(const QString& key) const;
    bool isInArgumentDomain(const QString& key) const { return m_arguments.contains(key); }

    std::optional<QString> stringValue(const QString& key) const;
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<double> doubleValue(const QString& key) const;
    std::optional<QStringList> stringArrayValue(const QString& key) const;

    void setString(const QString& key, const QString& value);
    void setBool(const QString& key, bool value);
    void setDouble(const QString& key, double value);
    void setStringArray(const QString& key, const QStringList& value);
    // Removes the stored value; the registered default (if any) shows through again.
    void remove(const QString& key);

    QSettings& store() { return *m_store; }

signals:
    // The stored value of `key` changed through this object.
    void changed(const QString& key);

private:
    enum class Domain { arguments, store, registered };
    // The raw value of the first domain that holds `key`.
    std::optional<std::pair<Domain, QVariant>> lookup(const QString& key) const;
    void write(const QString& key, const QVariant& value);

    QVariantMap m_arguments;
    std::unique_ptr<QSettings> m_store;
    QVariantMap m_registered;
};

} // namespace brisvane
