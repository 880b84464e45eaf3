#pragma once

#include "ClipTextEdit.h"
#include "WindowFixture.h"

#include <QLineEdit>
#include <QListView>
#include <QObject>

#include <memory>

// The base of a test class whose every test function runs on a fresh main window in a fresh
// clip folder, with the window's controls at hand by name. A derived init() calls this one's
// first; a derived cleanup() calls it last.
class WindowTestCase : public QObject
{
    Q_OBJECT

protected slots:
    void init();
    void cleanup();

protected:
    template <typename T> T* control(const char* name) const { return m_f->control<T>(name); }
    QLineEdit* inputbox() const { return control<QLineEdit>("inputbox"); }
    QLineEdit* indexbox() const { return control<QLineEdit>("indexbox"); }
    ClipTextEdit* titlebox() const { return control<ClipTextEdit>("titlebox"); }
    ClipTextEdit* mainbox() const { return control<ClipTextEdit>("mainbox"); }
    QListView* list() const { return control<QListView>("FileListBox1"); }
    bool editorsEnabled() const { return titlebox()->isEnabled() && mainbox()->isEnabled(); }
    bool editorsDisabled() const { return !titlebox()->isEnabled() && !mainbox()->isEnabled(); }
    static QString clipboard();

    // Writes a clip's two files, shows the window, opens the clip through the command box and
    // waits for the poll to enable the editors; false when any of it fails.
    [[nodiscard]] bool showWithClip(const QString& name, const QByteArray& title, const QByteArray& body) const;

    // Clicks through the window at a point of a control, as the mouse would.
    void clickOn(QWidget* widget, QPoint point) const;
    // Gives an editor the focus with the caret at the end, by a click below or right of its
    // last line: the mouse alone, since every key release saves.
    void clickToEnd(ClipTextEdit* editor) const;

    std::unique_ptr<WindowFixture> m_f;
};
