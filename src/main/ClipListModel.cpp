#include "ClipListModel.h"

#include "TextBytes.h"

void ClipListModel::setFileNames(QList<QByteArray> fileNames)
{
    beginResetModel();
    m_fileNames = std::move(fileNames);
    endResetModel();
}

int ClipListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_fileNames.size());
}

QVariant ClipListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return TextBytes::displayName(m_fileNames.at(index.row()));
}

Qt::ItemFlags ClipListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}
