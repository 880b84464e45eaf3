#pragma once

#include <QByteArray>
#include <QString>

namespace LineBreaks {

// Turns every CR LF, lone CR and lone LF into CR LF in one pass, then cuts the text at its
// first zero byte.
QByteArray normalise(const QByteArray& raw);

// Editors hold line breaks as LF or U+2029; clip texts hold CR LF. Converts every LF, lone CR
// and paragraph separator of an editor's text to CR LF.
QString toClipText(const QString& editorText);

} // namespace LineBreaks
