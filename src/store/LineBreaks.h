#pragma once

#include <QByteArray>
#include <QString>

namespace LineBreaks {

// Turns every CR LF, lone CR and lone LF into CR LF in one pass, then cuts the text at its
// first zero byte.
QByteArray normalise(const QByteArray& raw);

// The same for a text decoded already (UTF-16 files): CR LF, lone CR and lone LF become CR LF,
// and the text ends at its first U+0000.
QString normalise(const QString& text);

// Editors hold line breaks as LF or U+2029; clip texts hold CR LF. Converts every LF, lone CR
// and (unless told otherwise) paragraph separator of an editor's text to CR LF.
QString toClipText(const QString& editorText, bool paragraphSeparators = true);

} // namespace LineBreaks
