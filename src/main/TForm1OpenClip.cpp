// Opening a clip, from the command box or the list: showing it and copying its body.
#include "TForm1.h"

#include <QClipboard>
#include <QGuiApplication>

#include "BodyEditor.h"
#include "NameDisplay.h"
#include "TextBytes.h"
#include "TitleLine.h"

void TForm1::openAndShowClip(const QByteArray& clipName, QWidget* focusTarget)
{
    if (m_store.openClip(clipName, [this] { titlebox->clear(); }) == OpenOutcome::Found)
        showOpenedClip(clipName, focusTarget);
}

void TForm1::showOpenedClip(const QByteArray& clipName, QWidget* focusTarget)
{
    // Name, title, body: in this order, since an error in a later step leaves the earlier ones
    // showing the new clip.
    indexbox->setText(TextBytes::displayName(clipName));
    titlebox->setClipText(m_store.takeTitleText());
    mainbox->setClipText(m_store.takeBodyText());
    mainbox->selectAll();
    // The clipboard gets the clip text itself: CR LF line breaks, no HTML beside it. An empty
    // body selects nothing, so nothing is copied.
    const QString body = mainbox->clipText();
    if (!body.isEmpty())
        QGuiApplication::clipboard()->setText(body);
    focusTarget->setFocus();
}
