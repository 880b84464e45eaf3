// The command box, the always-on-top box, the name display, and showing an opened clip.
#include "TForm1.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>

#include "BodyEditor.h"
#include "CommandBox.h"
#include "NameDisplay.h"
#include "TextBytes.h"
#include "TitleLine.h"

void TForm1::showOpenedClip(const QByteArray& clipName, QWidget* focusTarget)
{
    indexbox->setText(TextBytes::displayName(clipName));
    titlebox->setPlainText(m_store.takeTitleText());
    mainbox->setPlainText(m_store.takeBodyText());
    mainbox->selectAll();
    // The clipboard gets the clip text itself: CR LF line breaks, no HTML beside it.
    const QString body = mainbox->clipText();
    if (!body.isEmpty())
        QGuiApplication::clipboard()->setText(body);
    focusTarget->setFocus();
}

void TForm1::inputboxKeyPress(QChar) { }

void TForm1::inputboxChange() { }

void TForm1::indexboxMouseDown()
{
    inputbox->setFocus();
}

void TForm1::CheckBox1Click()
{
    inputbox->setFocus();
    setTopmost(CheckBox1->isChecked());
}
