#include "app/ui/design/SymbolTable.h"

#include <QFile>
#include <QRegularExpression>

namespace brisvane {

const SymbolTable& SymbolTable::shared()
{
    static const SymbolTable table = [] {
        QFile file(QStringLiteral(":/brisvane/symbols/symbols.table"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("the symbol table is not embedded");
        return parse(QString::fromUtf8(file.readAll()));
    }();
    return table;
}

SymbolTable SymbolTable::parse(const QString& text)
{
    SymbolTable table;
    static const QRegularExpression space(QStringLiteral("\\s+"));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = trimmed.split(space);
        if (fields.size() != 2 || table.m_icons.contains(fields[0]))
            continue;
        table.m_icons.insert(fields[0], fields[1]);
        table.m_names.append(fields[0]);
    }
    return table;
}

std::optional<QString> SymbolTable::iconName(const QString& symbolName) const
{
    const auto found = m_icons.constFind(symbolName);
    if (found == m_icons.cend())
        return std::nullopt;
    return *found;
}

QString SymbolTable::iconPath(const QString& iconName)
{
    return QStringLiteral(":/brisvane/symbols/%1.svg").arg(iconName);
}

} // namespace brisvane
