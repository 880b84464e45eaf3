#pragma once

#include <QByteArray>
#include <QWidget>

#include "ClipListView.h" // complete: the role files pass FileListBox1 on as a QWidget
#include "ClipStore.h"

class BodyEditor;
class ClipListModel;
class CommandBox;
class NameDisplay;
class NewNameBox;
class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class TitleLine;

// The main window: the command row, the title line and body editor of the opened clip, the clip
// list with Create and Delete, and the footer strip with the about link. Every control is a
// member named as in the window's layout, with the same object name. Every handler runs inside
// runGuarded(), so an error it raises ends up in the error box.
class TForm1 : public QWidget
{
    Q_OBJECT

public:
    // The outer heights of the two layouts.
    static constexpr int kExpandedHeight = 351;
    static constexpr int kCompactHeight = 78;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The topmost state of the window. A real change of it re-reads the clip list; setting the
    // state the window already has does nothing.
    bool isTopmost() const;
    void setTopmost(bool on);

    // The height including the title bar and frame (equal to the client height until the window
    // manager has framed the window). Only the height changes; the window does not move.
    int outerHeight() const;
    void setOuterHeight(int height);

    // The compact layout takes the body editor, the clip list and the two buttons out of the Tab
    // order (they stay reachable by the mouse and the program); the expanded layout restores them.
    void setCompactTabStops(bool compact);

    // Re-reads the list directory, which becomes the current directory, and ends with the list's
    // change notification while no entry is selected. Does nothing before the window is shown.
    void refreshClipList();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void createControls();
    void describeControlsForScreenReaders();
    void connectHandlers();
    // Places the window, frame included, in the middle of the primary screen.
    void centreOnScreen();

    // The selected entry's path in the list directory; empty when no entry is selected.
    QByteArray selectedPath() const;
    // Opens the clip of that name in the current directory and, when its body file is there,
    // shows it as showOpenedClip() does.
    void openAndShowClip(const QByteArray& clipName, QWidget* focusTarget);
    // Presents the clip that m_store has just found, puts its body on the clipboard and moves the
    // focus to focusTarget.
    void showOpenedClip(const QByteArray& clipName, QWidget* focusTarget);

    void inputboxKeyPress(QChar key);
    void inputboxChange();
    void indexboxMouseDown();
    void CheckBox1Click();
    void titleboxKeyUp();
    void mainboxKeyUp();
    void Timer1Timer();
    void FileListBox1Change();
    void FileListBox1Enter();
    void Button1Click();
    void newfileKeyPress(QChar key);
    void Button2Click();
    // The About entry point: returns when the About window has been closed.
    void Label3Click();

    CommandBox* inputbox = nullptr;
    TitleLine* titlebox = nullptr;
    BodyEditor* mainbox = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    NameDisplay* indexbox = nullptr;
    ClipListView* FileListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    NewNameBox* newfile = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QTimer* Timer1 = nullptr;

    ClipListModel* m_clipList = nullptr;
    // The current title and body paths live in the store.
    ClipStore m_store;
    bool m_clearAfterCommand = false;
    // The current directory when the window was created; the clip list shows its files.
    QByteArray m_listDirectory;
    // The list is read for the first time when the window is first shown.
    bool m_listHasWindow = false;
    bool m_centredWithFrame = false;
};

// The main window, from its creation at start-up until the program ends.
extern TForm1* Form1;
