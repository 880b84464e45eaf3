#pragma once

#include <QAbstractItemDelegate>
#include <QPixmap>

// Draws a clip list row: 16 pixels high, the document glyph 2 pixels from the left and
// vertically centred, the name from 22 pixels at the row's top.
class ClipListDelegate : public QAbstractItemDelegate
{
    Q_OBJECT

public:
    static constexpr int kRowHeight = 16;
    static constexpr int kGlyphLeft = 2;
    static constexpr int kTextLeft = 22;

    explicit ClipListDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QPixmap m_glyph;
};
