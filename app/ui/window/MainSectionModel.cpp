#include "app/ui/window/MainSectionModel.h"

#include <algorithm>

namespace brisvane {

MainSectionModel::MainSectionModel(QObject* parent)
    : QAbstractListModel(parent)
{}

int MainSectionModel::initialRow(const QString& initialSectionDefault) const
{
    const MainSection section = initialMainSection(
        initialSectionDefault.isEmpty() ? std::nullopt : std::optional(initialSectionDefault));
    return static_cast<int>(std::ranges::find(allMainSections, section) - allMainSections.begin());
}

QString MainSectionModel::title(int row) const
{
    return data(index(row), titleRole).toString();
}

QString MainSectionModel::symbolName(int row) const
{
    return data(index(row), symbolNameRole).toString();
}

int MainSectionModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(allMainSections.size());
}

QVariant MainSectionModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const MainSection section = allMainSections[static_cast<std::size_t>(index.row())];
    switch (role) {
    case rawValueRole:
        return rawValue(section);
    case titleRole:
        return qtTrId(titleKey(section));
    case symbolNameRole:
        return iconName(section);
    default:
        return {};
    }
}

QHash<int, QByteArray> MainSectionModel::roleNames() const
{
    return {{rawValueRole, "rawValue"}, {titleRole, "title"}, {symbolNameRole, "symbolName"}};
}

} // namespace brisvane
