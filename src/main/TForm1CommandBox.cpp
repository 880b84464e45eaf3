// The command box, the always-on-top box, the name display, and showing an opened clip.
#include "TForm1.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>

#include "BodyEditor.h"
#include "ClipFiles.h"
#include "CommandBox.h"
#include "NameDisplay.h"
#include "TForm2.h"
#include "TextBytes.h"
#include "TitleLine.h"

#include <memory>

namespace {

// Esc reads the outer height: above the first the window counts as expanded, below the second
// as compact, and in between as neither.
constexpr int kExpandedAbove = 300;
constexpr int kCompactBelow = 100;

} // namespace

QByteArray TForm1::typedClipName(const QString& typed)
{
    const QByteArray utf8 = TextBytes::fileNameFromText(typed);
    const QByteArray windows1252 = TextBytes::windows1252FileNameFromText(typed);
    // A relative name resolves against the current directory, the clip directory.
    if (windows1252.isNull() || ClipFiles::exists(utf8 + ".txt") || !ClipFiles::exists(windows1252 + ".txt"))
        return utf8;
    return windows1252;
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

void TForm1::inputboxKeyPress(QChar key)
{
    switch (key.unicode()) {
    case u'?':
        m_store.clearCurrentPaths();
        inputbox->clear();
        inputbox->setFocus();
        m_clearAfterCommand = true;
        Label3Click();
        break;
    case u'*':
        m_store.clearCurrentPaths();
        inputbox->clear();
        refreshClipList();
        FileListBox1->setFocus();
        m_clearAfterCommand = true;
        break;
    case u'\r': {
        const QByteArray clipName = typedClipName(inputbox->text());
        inputbox->clear();
        if (m_store.openClip(clipName, [this] { titlebox->clear(); }) == OpenOutcome::Found)
            showOpenedClip(clipName, inputbox);
        break;
    }
    case u'\x1b':
        if (outerHeight() > kExpandedAbove) {
            setOuterHeight(kCompactHeight);
            setCompactTabStops(true);
        } else if (outerHeight() < kCompactBelow) {
            setOuterHeight(kExpandedHeight);
            setCompactTabStops(false);
        }
        break;
    case u'/':
        // The box's own change handling switches the window; applying its state once more
        // changes nothing then.
        CheckBox1->setChecked(!CheckBox1->isChecked());
        setTopmost(CheckBox1->isChecked());
        m_clearAfterCommand = true;
        break;
    default:
        break;
    }
}

void TForm1::inputboxChange()
{
    // Emptying a box that holds text runs this handler once more, nested, with the box empty.
    if (m_clearAfterCommand && !inputbox->text().isEmpty())
        inputbox->clear();
    m_clearAfterCommand = false;
}

void TForm1::indexboxMouseDown()
{
    inputbox->setFocus();
}

void TForm1::CheckBox1Click()
{
    inputbox->setFocus();
    setTopmost(CheckBox1->isChecked());
}

void TForm1::Label3Click()
{
    // A new window each time, destroyed here as soon as its modal display ends; the release that
    // its close queued dies with it. Made for the main window, so that window managers keep it
    // above it and take it as the main window's dialog: mutter places a dialog without one beside
    // the active window.
    const auto about = std::make_unique<TForm2>(this);
    Form2 = about.get();
    Form2->AboutMode = true;
    Form2->ShowModal();
}
