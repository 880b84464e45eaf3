#pragma once

#include <QWidget>

class PictureBox;
class QEventLoop;
class QTimer;

// The splash and About window: the program's picture in a one-pixel black frame, borderless,
// above every other window and without a task-bar entry of its own. As the splash window it
// closes itself after a second and hands over to the main window; as the About window it is
// shown modally and closes when its picture is clicked. Every handler runs inside runGuarded().
class TForm2 : public QWidget
{
    Q_OBJECT

public:
    // The window's fixed size: the picture and its frame.
    static constexpr int kWidth = 352;
    static constexpr int kHeight = 202;

    // Loads the picture and reads its header; an unreadable picture throws ClipError and no
    // window is made.
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    // Shows the window modally: the program's other windows take no input until it closes or a
    // quit request ends the display. Returns with the window hidden; destroying it is up to the
    // caller.
    void ShowModal();

    // false: splash mode; true: about mode. Set before the window is shown.
    bool AboutMode = false;

signals:
    // Emitted by Timer1Timer once the window is closed: the main window is to become topmost.
    // Start-up connects it; the splash module does not know the main window.
    void mainWindowTopmostDue();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Ends the modal display when the window manager minimises the window: no click could
    // close it then.
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void FormClose();
    void Image1Click();

    // Centred on the screen of the active window in about mode, on the primary screen otherwise.
    void placeOnScreen();

    PictureBox* Image1 = nullptr;
    QTimer* Timer1 = nullptr;
    QEventLoop* m_modalLoop = nullptr;
};

// The splash or About window created most recently; not cleared when it is destroyed.
extern TForm2* Form2;
