#include "ClipListDelegate.h"

#include <QImage>
#include <QPainter>

namespace {

// The glyph is drawn on a ground of one colour, that of its bottom-left pixel, which is left
// out so that the row's background shows through.
QPixmap loadGlyph()
{
    QImage image = QImage(QStringLiteral(":/snipwell/document-16x15.png")).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const QRgb ground = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == ground)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

ClipListDelegate::ClipListDelegate(QObject* parent)
    : QAbstractItemDelegate(parent)
    , m_glyph(loadGlyph())
{
}

void ClipListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect row = option.rect;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
        : (option.state & QStyle::State_Active)                                ? QPalette::Active
                                                                               : QPalette::Inactive;
    const bool selected = option.state & QStyle::State_Selected;

    painter->save();
    if (selected)
        painter->fillRect(row, option.palette.color(group, QPalette::Highlight));
    painter->drawPixmap(row.left() + kGlyphLeft, row.top() + (row.height() - m_glyph.height()) / 2, m_glyph);

    const QColor textColour = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    painter->setPen(textColour);
    painter->setFont(option.font);
    painter->drawText(row.adjusted(kTextLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());

    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(textColour, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(row.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize ClipListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int textWidth = option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
    return { kTextLeft + textWidth, kRowHeight };
}
