// The command box, the always-on-top box and the name display.
#include "TForm1.h"

#include <QCheckBox>

#include "CommandBox.h"
#include "NameDisplay.h"

namespace {

// Esc reads the outer height: above the first the window counts as expanded, below the second
// as compact, and in between as neither.
constexpr int kExpandedAbove = 300;
constexpr int kCompactBelow = 100;

} // namespace

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
        const QByteArray clipName = ClipStore::typedClipName(inputbox->text());
        inputbox->clear();
        openAndShowClip(clipName, inputbox);
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
