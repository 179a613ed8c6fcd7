#pragma once
// Every symbol name the table maps, for pages that show them all.

#include "app/ui/design/SymbolTable.h"

#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class SymbolCatalog : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_PROPERTY(QStringList names READ names CONSTANT)
    static QStringList names() { return SymbolTable::shared().symbolNames(); }
};

} // namespace brisvane
