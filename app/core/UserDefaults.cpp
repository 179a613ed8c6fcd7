#include "app/core/UserDefaults.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtDebug>

#include <charconv>
#include <cmath>

namespace brisvane {
namespace {

bool isKeyArgument(const QString& argument)
{
    return argument.size() >= 2 && argument[0] == u'-' &&
           (argument[1].isLetter() || argument[1] == u'_');
}

// As the Mac reads a bool from text: after blanks, an optional sign and zeros, true when the
// next character is Y, y, T, t or a digit 1-9. "NO", "off", "0" and "maybe" are all false.
bool boolFromText(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    while (i < text.size() && text[i] == u'0')
        ++i;
    if (i == text.size())
        return false;
    const QChar c = text[i];
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

// As the Mac reads a number from text: its leading numeric part, so "5s" is 5. Text with no
// numeric part at all (or one beyond a double's range) gives no value.
std::optional<double> doubleFromText(QStringView text)
{
    const QByteArray latin = text.trimmed().toLatin1();
    const char* first = latin.constData();
    const char* last = first + latin.size();
    const bool negative = first != last && *first == '-';
    if (first != last && (*first == '+' || *first == '-'))
        ++first;
    // from_chars would also take "inf" and "nan", which are no numbers here; a value beyond a
    // double's range it reports as out of range, so what it yields is always finite.
    if (first == last || !((*first >= '0' && *first <= '9') || *first == '.'))
        return std::nullopt;
    double value = 0;
    if (std::from_chars(first, last, value).ec != std::errc())
        return std::nullopt;
    return negative ? -value : value;
}

// "(a, b, "c d")": the old-style property-list array.
std::optional<QStringList> plistArrayFromText(QStringView text)
{
    if (text.size() < 2 || text.front() != u'(' || text.back() != u')')
        return std::nullopt;
    const QStringView body = text.mid(1, text.size() - 2);
    QStringList items;
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < body.size() && body[i].isSpace())
            ++i;
    };
    skipSpace();
    if (i == body.size())
        return items;
    while (true) {
        skipSpace();
        QString item;
        if (i < body.size() && body[i] == u'"') {
            ++i;
            bool closed = false;
            while (i < body.size()) {
                const QChar c = body[i++];
                if (c == u'"') {
                    closed = true;
                    break;
                }
                if (c == u'\\') {
                    if (i == body.size())
                        return std::nullopt;
                    const QChar escaped = body[i++];
                    item += escaped == u'n'   ? QChar(u'\n')
                            : escaped == u't' ? QChar(u'\t')
                                              : escaped;
                } else {
                    item += c;
                }
            }
            if (!closed)
                return std::nullopt;
            skipSpace();
        } else {
            const qsizetype start = i;
            while (i < body.size() && body[i] != u',')
                ++i;
            item = body.mid(start, i - start).trimmed().toString();
            if (item.isEmpty() || item.contains(u'"'))
                return std::nullopt;
        }
        items.append(item);
        if (i == body.size())
            return items;
        if (body[i] != u',')
            return std::nullopt;
        ++i;
    }
}

std::optional<QStringList> jsonArrayFromText(QStringView text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QStringList items;
    for (const QJsonValue& value : document.array()) {
        if (!value.isString())
            return std::nullopt;
        items.append(value.toString());
    }
    return items;
}

std::optional<QStringList> stringArrayFromText(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.startsWith(u'['))
        return jsonArrayFromText(t);
    return plistArrayFromText(t);
}

bool isText(const QVariant& value)
{
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
}

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

UserDefaults::UserDefaults(const QStringList& arguments, std::unique_ptr<QSettings> store,
                           QObject* parent)
    : QObject(parent)
    , m_arguments(argumentDomain(arguments))
    , m_store(std::move(store))
{
    Q_ASSERT(m_store);
}

UserDefaults::~UserDefaults() = default;

UserDefaults& UserDefaults::standard()
{
    // Never destroyed: model objects may still read it while the application winds down.
    // Every write is synced at once, so nothing waits for a destructor.
    static UserDefaults* instance = new UserDefaults(
        QCoreApplication::arguments(),
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                    QStringLiteral("brisvane.org"), QStringLiteral("Brisvane")));
    return *instance;
}

QVariantMap UserDefaults::argumentDomain(const QStringList& arguments)
{
    QVariantMap domain;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!isKeyArgument(arguments[i]))
            continue;
        if (i + 1 < arguments.size() && !isKeyArgument(arguments[i + 1])) {
            // A key given no text at all leaves the other domains in force.
            if (!arguments[i + 1].isEmpty())
                domain.insert(arguments[i].mid(1), arguments[i + 1]);
            ++i;
        }
    }
    return domain;
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    m_registered.insert(defaults);
}

bool UserDefaults::contains(const QString& key) const
{
    return lookup(key).has_value();
}

std::optional<std::pair<UserDefaults::Domain, QVariant>>
UserDefaults::lookup(const QString& key) const
{
    if (const auto it = m_arguments.constFind(key); it != m_arguments.cend())
        return std::pair{Domain::arguments, *it};
    // One search of the store: it holds no invalid values, so an invalid one means absent.
    if (QVariant stored = m_store->value(key); stored.isValid())
        return std::pair{Domain::store, std::move(stored)};
    if (const auto it = m_registered.constFind(key); it != m_registered.cend())
        return std::pair{Domain::registered, *it};
    return std::nullopt;
}

namespace {

void warnUnreadable(const QString& key, const QVariant& value, const char* type)
{
    qWarning().noquote() << "user default" << key << "=" << value.toString() << "is not a valid"
                         << type << "- ignored";
}

// The INI file gives back text for every type it wrote (and nothing for an empty list), so an
// old value is compared after conversion to the new value's type.
bool sameStoredValue(QVariant old, const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList && !old.isValid())
        old = QStringList{};
    if (old.typeId() == QMetaType::QString && value.typeId() == QMetaType::Bool)
        return boolFromText(old.toString()) == value.toBool();
    if (old.typeId() != value.typeId() && !old.convert(value.metaType()))
        return false;
    return old == value;
}

} // namespace

std::optional<QString> UserDefaults::stringValue(const QString& key) const
{
    const auto found = lookup(key);
    if (!found)
        return std::nullopt;
    const QVariant& value = found->second;
    if (isText(value) || isNumber(value) || value.typeId() == QMetaType::Bool)
        return value.toString();
    return std::nullopt;
}

std::optional<bool> UserDefaults::boolValue(const QString& key) const
{
    const auto found = lookup(key);
    if (!found)
        return std::nullopt;
    const QVariant& value = found->second;
    std::optional<bool> result;
    if (value.typeId() == QMetaType::Bool)
        result = value.toBool();
    else if (isNumber(value))
        result = value.toDouble() != 0;
    else if (isText(value))
        result = boolFromText(value.toString());
    if (!result)
        warnUnreadable(key, value, "bool");
    return result;
}

std::optional<double> UserDefaults::doubleValue(const QString& key) const
{
    const auto found = lookup(key);
    if (!found)
        return std::nullopt;
    const QVariant& value = found->second;
    std::optional<double> result;
    if (isNumber(value) && std::isfinite(value.toDouble()))
        result = value.toDouble();
    else if (isText(value))
        result = doubleFromText(value.toString());
    if (!result)
        warnUnreadable(key, value, "number");
    return result;
}

std::optional<QStringList> UserDefaults::stringArrayValue(const QString& key) const
{
    const auto found = lookup(key);
    if (!found)
        return std::nullopt;
    const auto& [domain, value] = *found;
    std::optional<QStringList> result;
    if (value.typeId() == QMetaType::QStringList)
        result = value.toStringList();
    else if (domain == Domain::arguments)
        result = stringArrayFromText(value.toString());
    else if (isText(value))
        result = QStringList{value.toString()}; // the INI form of a one-element array
    else if (!value.isValid())
        result = QStringList{}; // the INI form of an empty array
    else if (value.typeId() == QMetaType::QVariantList) {
        QStringList items;
        for (const QVariant& item : value.toList()) {
            if (!isText(item))
                break;
            items.append(item.toString());
        }
        if (items.size() == value.toList().size())
            result = items;
    }
    if (!result)
        warnUnreadable(key, value, "string array");
    return result;
}

void UserDefaults::write(const QString& key, const QVariant& value)
{
    const bool had = m_store->contains(key);
    const QVariant old = m_store->value(key);
    if (value.isValid())
        m_store->setValue(key, value);
    else
        m_store->remove(key);
    m_store->sync();
    if (m_store->status() != QSettings::NoError)
        qWarning().noquote() << "could not write user default" << key << "to"
                             << m_store->fileName();
    if (value.isValid() ? !had || !sameStoredValue(old, value) : had)
        emit changed(key);
}

void UserDefaults::setString(const QString& key, const QString& value)
{
    write(key, value);
}

void UserDefaults::setBool(const QString& key, bool value)
{
    write(key, value);
}

void UserDefaults::setDouble(const QString& key, double value)
{
    write(key, value);
}

void UserDefaults::setStringArray(const QString& key, const QStringList& value)
{
    write(key, value);
}

void UserDefaults::remove(const QString& key)
{
    write(key, QVariant());
}

} // namespace brisvane
