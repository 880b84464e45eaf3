// The clip list: its refresh, its change notification and the pick handler.
#include "TForm1.h"

#include <QItemSelectionModel>
#include <QListView>

#include "ClipFiles.h"
#include "ClipListModel.h"
#include "CommandBox.h"
#include "PathNames.h"
#include "TitleLine.h"

#include <unistd.h>

void TForm1::refreshClipList()
{
    if (!m_listHasWindow)
        return;
    // Picks open clips in the current directory, so it has to be the listed one. A directory
    // that can no longer be entered lists nothing.
    const bool entered = ::chdir(m_listDirectory.constData()) == 0;
    m_clipList->setFileNames(entered ? ClipFiles::listBodyFiles(m_listDirectory) : QList<QByteArray>());
    FileListBox1Change();
}

QByteArray TForm1::selectedPath() const
{
    const QModelIndexList selected = FileListBox1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return {};
    QByteArray path = m_listDirectory;
    if (!path.endsWith('/'))
        path += '/';
    return path + m_clipList->fileName(selected.first().row());
}

void TForm1::FileListBox1Change()
{
    const QByteArray clipName = PathNames::clipNameOfPath(selectedPath());
    inputbox->clear();
    if (m_store.openClip(clipName, [this] { titlebox->clear(); }) == OpenOutcome::NotFound)
        return;
    showOpenedClip(clipName, FileListBox1);
}
