#include "ClipListBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "ApplicationTitle.h"

namespace {

// Owned by the main window, so that the window manager keeps it above a topmost window, yet
// placed in the middle of the screen: QDialog would centre it on its owner.
class ScreenCentredBox : public QMessageBox
{
public:
    ScreenCentredBox(Icon icon, const QString& caption, const QString& text, QWidget* owner)
        : QMessageBox(icon, caption, text, NoButton, owner)
    {
        // A file name is shown as it is, never read as markup.
        setTextFormat(Qt::PlainText);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        // QMessageBox fixes its size here, before the window is mapped.
        QMessageBox::showEvent(event);
        const QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
        if (!shownOn)
            return;
        QRect frame = frameGeometry();
        frame.moveCenter(shownOn->geometry().center());
        move(frame.topLeft());
    }
};

} // namespace

namespace ClipListBoxes {

void showNotice(QWidget* owner, const QString& text)
{
    ScreenCentredBox box(QMessageBox::NoIcon, QString(kApplicationTitle), text, owner);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

bool confirmDelete(QWidget* owner, const QString& shownPath)
{
    ScreenCentredBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                         QStringLiteral("Delete file ") + shownPath + QStringLiteral(" ?"), owner);
    // Action roles keep the buttons in the order added; Yes and No roles would swap them under
    // desktops whose dialogs put the negative answer first.
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::ActionRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::ActionRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace ClipListBoxes
