#pragma once
// The section picker's segments: one row per section, in order.

#include "app/ui/window/MainSection.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class MainSectionModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    enum Roles { rawValueRole = Qt::UserRole + 1, titleRole, symbolNameRole };
    Q_ENUM(Roles)

    explicit MainSectionModel(QObject* parent = nullptr);

    // The row of the section to open with, from the "InitialSection" text (empty: absent).
    Q_INVOKABLE int initialRow(const QString& initialSectionDefault) const;

    // The translated title and the symbol of the section in `row`.
    Q_INVOKABLE QString title(int row) const;
    Q_INVOKABLE QString symbolName(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
};

} // namespace brisvane
