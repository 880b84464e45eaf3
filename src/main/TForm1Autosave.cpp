// Autosave at every key release in an editor, and the availability poll.
#include "TForm1.h"

#include "BodyEditor.h"
#include "TitleLine.h"

void TForm1::titleboxKeyUp()
{
    m_store.saveTitle(titlebox->clipText());
}

void TForm1::mainboxKeyUp()
{
    m_store.saveBody(mainbox->clipText());
}

void TForm1::Timer1Timer()
{
    const bool present = m_store.bodyPresent();
    mainbox->setEnabled(present);
    titlebox->setEnabled(present);
}
