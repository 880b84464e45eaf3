// The clip list: its refresh, its change notification, the pick handler and focus entry, and
// the Create and Delete buttons with the new-name box.
#include "TForm1.h"

#include <QGuiApplication>
#include <QPushButton>

#include "BodyEditor.h"
#include "ClipFiles.h"
#include "ClipListBoxes.h"
#include "ClipListModel.h"
#include "ClipListView.h"
#include "CommandBox.h"
#include "NameDisplay.h"
#include "NewNameBox.h"
#include "PathNames.h"
#include "TextBytes.h"
#include "TitleLine.h"

namespace {

// The entry at this position (counted from 0) turns the pointer busy for the rest of a refresh.
constexpr qsizetype kBusyFromEntry = 100;

// The busy pointer, once switched on, until the end of the scope.
class BusyPointer
{
public:
    BusyPointer() = default;
    ~BusyPointer()
    {
        if (m_busy)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

    void switchOn()
    {
        if (!m_busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_busy = true;
    }

private:
    bool m_busy = false;
};

} // namespace

void TForm1::refreshClipList()
{
    if (!m_listHasWindow)
        return;
    // Picks open clips in the current directory, so it has to be the listed one. A directory
    // that can no longer be entered lists nothing.
    const bool entered = ClipFiles::setCurrentDirectory(m_listDirectory);
    {
        // Reading and sorting a large folder is what takes the time, so the pointer turns busy
        // as soon as the entry at that position is found. The list then takes all names in one
        // reset: the view lays out 100,000 uniform rows at once.
        BusyPointer pointer;
        const auto found = [&pointer](qsizetype count) {
            if (count > kBusyFromEntry)
                pointer.switchOn();
        };
        m_clipList->setFileNames(entered ? ClipFiles::listBodyFiles(m_listDirectory, found) : QList<QByteArray>());
    }
    // The reset also made the view forget the entry it reported last.
    FileListBox1Change();
}

QByteArray TForm1::selectedPath() const
{
    const int row = FileListBox1->selectedRow();
    if (row < 0)
        return {};
    QByteArray path = m_listDirectory;
    if (!path.endsWith('/'))
        path += '/';
    return path + m_clipList->fileName(row);
}

void TForm1::FileListBox1Change()
{
    const QByteArray clipName = PathNames::clipNameOfPath(selectedPath());
    inputbox->clear();
    openAndShowClip(clipName, FileListBox1);
}

void TForm1::FileListBox1Enter()
{
    const QByteArray current = ClipFiles::currentDirectory();
    if (PathNames::equalIgnoringCase(current, m_listDirectory))
        return;
    m_listDirectory = current;
    refreshClipList();
}

void TForm1::Button1Click()
{
    newfile->show();
    newfile->setFocus();
    Button1->setEnabled(false);
}

void TForm1::newfileKeyPress(QChar key)
{
    if (key != QChar(u'\r'))
        return;
    switch (m_store.createClip(ClipStore::typedClipName(newfile->text()))) {
    case CreateOutcome::AlreadyExists:
        ClipListBoxes::showNotice(this, QStringLiteral("File already exists!"));
        break;
    case CreateOutcome::Failed:
        ClipListBoxes::showNotice(this, QStringLiteral("Error creating file!"));
        break;
    case CreateOutcome::Created:
        break;
    }
    newfile->clear();
    newfile->hide();
    inputbox->setFocus();
    refreshClipList();
    Button1->setEnabled(true);
}

void TForm1::Button2Click()
{
    const QByteArray path = selectedPath();
    if (!path.isEmpty() && ClipFiles::exists(path)
        && ClipListBoxes::confirmDelete(this, TextBytes::displayName(path))) {
        m_store.deleteClip(path);
        mainbox->clear();
        titlebox->clear();
        indexbox->clear();
    }
    refreshClipList();
    inputbox->setFocus();
}
