// Autosave at every key release in an editor, and the availability poll.
#include "TForm1.h"

#include "BodyEditor.h"
#include "TitleLine.h"

// The store writes only to a path whose text was read into the editor; an editor that refused
// a text still shows another one, which is not saved either.
void TForm1::titleboxKeyUp()
{
    if (titlebox->holdsFileText())
        m_store.saveTitle(titlebox->clipText());
}

void TForm1::mainboxKeyUp()
{
    if (mainbox->holdsFileText())
        m_store.saveBody(mainbox->clipText());
}

void TForm1::Timer1Timer()
{
    const bool present = m_store.bodyPresent();
    for (ClipTextEdit* editor : { static_cast<ClipTextEdit*>(mainbox), static_cast<ClipTextEdit*>(titlebox) }) {
        // Qt would hand the focus on to the next control; here it leaves the editor for none, also
        // while the window is inactive, so that activation gives it to the command box.
        if (!present && focusWidget() == editor)
            editor->clearFocus();
        editor->setEnabled(present);
    }
}
