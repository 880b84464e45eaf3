#include "WindowFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace {

// fonts-wine installs both outside fontconfig's search path.
constexpr QLatin1StringView kMsSansSerifFile("/usr/share/wine/fonts/ms_sans_serif.ttf");
constexpr QLatin1StringView kTahomaFile("/usr/share/wine/fonts/tahoma.ttf");

// Each file once per run, whether or not it could be added.
void loadFontFile(QLatin1StringView file)
{
    static QStringList tried;
    if (tried.contains(file))
        return;
    tried.append(QString(file));
    QFontDatabase::addApplicationFont(QString(file));
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
    // MS Sans Serif holds bitmaps for the usual sizes only: on a scaled screen they would be drawn
    // at the unscaled size and spread apart. Tahoma, the outline face that took its place in
    // dialogs, stays sharp at any scale; narrowed by a twentieth, its captions take the widths
    // the layout was measured in.
    if (qGuiApp->devicePixelRatio() > 1.0) {
        loadFontFile(kTahomaFile);
        QFont outline = font({ QStringLiteral("Tahoma"), QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans") }, 11);
        outline.setStretch(95);
        return outline;
    }
    loadFontFile(kMsSansSerifFile);
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
