#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>

// The entries of the clip list: body file names as the file system stores them (bytes, which
// need not be valid UTF-8), shown decoded.
class ClipListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces every entry; views lose their selection.
    void setFileNames(QList<QByteArray> fileNames);
    QByteArray fileName(int row) const { return m_fileNames.value(row); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<QByteArray> m_fileNames;
};
