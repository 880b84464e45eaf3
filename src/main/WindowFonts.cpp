#include "WindowFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

// fonts-wine installs it outside fontconfig's search path.
constexpr QLatin1StringView kMsSansSerifFile("/usr/share/wine/fonts/ms_sans_serif.ttf");

void loadMsSansSerif()
{
    static const bool loaded = QFontDatabase::addApplicationFont(QString(kMsSansSerifFile)) >= 0;
    Q_UNUSED(loaded);
}

QFont font(const QStringList& families, int pixelSize, QFont::Weight weight = QFont::Normal)
{
    QFont result;
    result.setFamilies(families);
    result.setPixelSize(pixelSize);
    result.setWeight(weight);
    return result;
}

} // namespace

namespace WindowFonts {

QFont windowFont()
{
    loadMsSansSerif();
    return font({ QStringLiteral("MS Sans Serif") }, 11);
}

QFont editorFont()
{
    return font({ QStringLiteral("Arial") }, 13);
}

QFont listFont()
{
    // Nothing free matches Arial Black: the heaviest cut of a sans of Arial's metrics.
    return font({ QStringLiteral("Arial Black"), QStringLiteral("Arimo"), QStringLiteral("Liberation Sans"),
                  QStringLiteral("DejaVu Sans") },
                11, QFont::Black);
}

} // namespace WindowFonts
