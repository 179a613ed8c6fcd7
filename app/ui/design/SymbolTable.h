#pragma once
// The one table from system symbol names ("snowflake", "wind", "fanblades") to the Material
// Design Icons embedded in the app (symbols.table). Loaded once; read from any thread.

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace brisvane {

class SymbolTable {
public:
    // The icon shown for a name the table does not know: a visible question mark.
    static constexpr char kFallbackIcon[] = "help-rhombus-outline";

    static const SymbolTable& shared();
    // Parses the table's text: one "name icon" pair a line, '#' starts a comment line.
    static SymbolTable parse(const QString& text);

    std::optional<QString> iconName(const QString& symbolName) const;
    // The embedded SVG of an icon.
    static QString iconPath(const QString& iconName);
    // In the table's order.
    const QStringList& symbolNames() const { return m_names; }

private:
    QHash<QString, QString> m_icons;
    QStringList m_names;
};

} // namespace brisvane
