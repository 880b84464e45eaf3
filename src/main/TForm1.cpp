#include "TForm1.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include "AccessibleRoles.h"
#include "ApplicationTitle.h"
#include "BodyEditor.h"
#include "ClickFilter.h"
#include "ClipFiles.h"
#include "ClipListDelegate.h"
#include "ClipListModel.h"
#include "ClipListView.h"
#include "CommandBox.h"
#include "HandlerGuard.h"
#include "NameDisplay.h"
#include "NewNameBox.h"
#include "TForm2.h"
#include "TitleLine.h"
#include "WindowFonts.h"

#include <memory>

TForm1* Form1 = nullptr;

namespace {

constexpr int kClientWidth = 321;
constexpr int kClientHeight = 326;
constexpr int kPollInterval = 500;

// Windows' grey for the text of a disabled edit field; the editor keeps its background.
const QColor kDisabledText(0x80, 0x80, 0x80);

template <typename Control>
Control* makeControl(QWidget* window, const char* name, int left, int top, int width, int height)
{
    auto* control = new Control(window);
    control->setObjectName(QLatin1StringView(name));
    control->setGeometry(left, top, width, height);
    return control;
}

void setEditColours(QWidget* field, const QColor& background, const QColor& text)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Active, QPalette::Text, text);
    palette.setColor(QPalette::Inactive, QPalette::Text, text);
    palette.setColor(QPalette::Disabled, QPalette::Text, kDisabledText);
    field->setPalette(palette);
}

// A Windows edit field shows its selection only while it has the focus; Qt would draw it in the
// inactive colours, so every opened clip would show its whole body highlighted.
void hideSelectionWithoutFocus(QWidget* field)
{
    QPalette palette = field->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Inactive, QPalette::Text));
    field->setPalette(palette);
}

void setLabelColours(QLabel* label, const QColor& background, const QColor& text)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

void setTextColour(QWidget* control, const QColor& text)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, text);
    control->setPalette(palette);
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent)
    , m_listDirectory(ClipFiles::currentDirectory())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString(kApplicationTitle));
    setWindowIcon(QIcon(QStringLiteral(":/snipwell/icon-32.png")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(WindowFonts::windowFont());
    setFixedSize(kClientWidth, kClientHeight);

    createControls();
    describeControlsForScreenReaders();
    connectHandlers();
    Timer1->start();

    centreOnScreen();
}

TForm1::~TForm1() = default;

void TForm1::createControls()
{
    // Created in Tab order, which is also the order in which the window hands out the focus
    // when it is first activated.
    inputbox = makeControl<CommandBox>(this, "inputbox", 65, 8, 54, 17);

    titlebox = makeControl<TitleLine>(this, "titlebox", 8, 32, 305, 17);
    titlebox->setFont(WindowFonts::editorFont());
    setEditColours(titlebox, QColor(0x00, 0x40, 0x80), Qt::white);
    hideSelectionWithoutFocus(titlebox);

    mainbox = makeControl<BodyEditor>(this, "mainbox", 8, 56, 305, 182);
    mainbox->setFont(WindowFonts::editorFont());
    setEditColours(mainbox, QColor(0xF2, 0xF9, 0xFF), Qt::black);
    hideSelectionWithoutFocus(mainbox);

    CheckBox1 = makeControl<QCheckBox>(this, "CheckBox1", 128, 8, 97, 17);
    CheckBox1->setText(QStringLiteral("AlwaysOnTop"));
    CheckBox1->setChecked(true);
    CheckBox1->setFocusPolicy(Qt::ClickFocus);
    setTextColour(CheckBox1, Qt::white);

    indexbox = makeControl<NameDisplay>(this, "indexbox", 232, 8, 80, 17);
    indexbox->setFocusPolicy(Qt::ClickFocus);
    setEditColours(indexbox, QColor(0x00, 0x25, 0x4A), QColor(0xEF, 0xF2, 0xFC));

    FileListBox1 = makeControl<ClipListView>(this, "FileListBox1", 8, 245, 225, 57);
    m_clipList = new ClipListModel(this);
    FileListBox1->setModel(m_clipList);
    FileListBox1->setItemDelegate(new ClipListDelegate(FileListBox1));
    FileListBox1->setUniformItemSizes(true);
    FileListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    FileListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FileListBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FileListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FileListBox1->setFocusPolicy(Qt::StrongFocus);
    FileListBox1->setFont(WindowFonts::listFont());
    setEditColours(FileListBox1, QColor(0x00, 0x40, 0x80), QColor(0x55, 0x86, 0xD7));

    Button1 = makeControl<QPushButton>(this, "Button1", 240, 247, 73, 22);
    Button1->setText(QStringLiteral("Create"));
    Button1->setFocusPolicy(Qt::StrongFocus);
    // Enter presses a focused button, as Space does; Qt does that only inside a dialog.
    Button1->setAutoDefault(true);

    Button2 = makeControl<QPushButton>(this, "Button2", 240, 279, 73, 22);
    Button2->setText(QStringLiteral("Delete"));
    Button2->setFocusPolicy(Qt::StrongFocus);
    Button2->setAutoDefault(true);

    newfile = makeControl<NewNameBox>(this, "newfile", 240, 245, 72, 21);
    newfile->hide();

    Label1 = makeControl<QLabel>(this, "Label1", 8, 9, 47, 13);
    Label1->setText(QStringLiteral("Command"));
    setTextColour(Label1, Qt::white);

    // Runs past the window's right edge; the about link lies on its right-hand end.
    Label2 = makeControl<QLabel>(this, "Label2", 0, 308, 348, 13);
    Label2->setText(QStringLiteral(" Snipwell 1.0 \u2014 ready-made answers at your fingertips"));
    setLabelColours(Label2, QColor(0x17, 0x22, 0x55), Qt::black);

    Label3 = makeControl<QLabel>(this, "Label3", 278, 308, 33, 13);
    Label3->setText(QStringLiteral(" about "));
    Label3->setCursor(Qt::PointingHandCursor);
    setLabelColours(Label3, QColor(0x23, 0x33, 0x81), QColor(0x6D, 0x82, 0xE0));

    for (QLabel* label : { Label1, Label2, Label3 }) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kPollInterval);

    setTabOrder(inputbox, titlebox);
    setTabOrder(titlebox, mainbox);
    setTabOrder(mainbox, CheckBox1);
    setTabOrder(CheckBox1, indexbox);
    setTabOrder(indexbox, FileListBox1);
    setTabOrder(FileListBox1, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, newfile);
}

void TForm1::describeControlsForScreenReaders()
{
    // The controls carry layout names; a screen reader announces these roles instead.
    const struct
    {
        QWidget* control;
        const char* name;
        const char* description;
    } roles[] = {
        { inputbox, "Command box",
          "Type a clip name and press Enter to copy the clip. Question mark: about; star: clip list; "
          "Escape: compact window; slash: always on top" },
        { titlebox, "Title", "Title of the open clip, saved as you type" },
        { mainbox, "Body", "Text of the open clip, saved as you type" },
        { CheckBox1, "Always on top", "Keeps the window above other windows" },
        { indexbox, "Clip name", "Name of the open clip" },
        { FileListBox1, "Clip list", "The clips in this folder; picking one opens it and copies its text" },
        { Button1, "Create", "Creates a new empty clip" },
        { Button2, "Delete", "Deletes the selected clip" },
        { newfile, "New clip name", "Type the new clip's name and press Enter" },
        { Label3, "About", "Shows the About box" },
    };
    for (const auto& role : roles) {
        role.control->setAccessibleName(QString::fromLatin1(role.name));
        role.control->setAccessibleDescription(QString::fromLatin1(role.description));
    }
    mainbox->verticalScrollBar()->setAccessibleName(QStringLiteral("Body scroll bar"));
    FileListBox1->verticalScrollBar()->setAccessibleName(QStringLiteral("Clip list scroll bar"));

    // Qt would call a plain widget window a filler and the link a static text.
    AccessibleRoles::setRole(this, QAccessible::Window);
    AccessibleRoles::setRole(Label3, QAccessible::Link, AccessibleRoles::Press::Yes);
    // The compact window leaves them outside its client area, yet the program still uses them.
    for (QWidget* control : std::initializer_list<QWidget*> { mainbox, FileListBox1, Button1, Button2, newfile, Label2 })
        AccessibleRoles::hideWhenOutsideWindow(control);
}

void TForm1::connectHandlers()
{
    inputbox->setKeyPressHook([this](QChar key) { return runGuarded([&] { inputboxKeyPress(key); }); });
    connect(inputbox, &QLineEdit::textChanged, this, [this] { runGuarded([this] { inputboxChange(); }); });
    connect(indexbox, &NameDisplay::mousePressed, this, [this] { runGuarded([this] { indexboxMouseDown(); }); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { runGuarded([this] { CheckBox1Click(); }); });
    connect(titlebox, &ClipTextEdit::keyReleased, this, [this] { runGuarded([this] { titleboxKeyUp(); }); });
    connect(mainbox, &ClipTextEdit::keyReleased, this, [this] { runGuarded([this] { mainboxKeyUp(); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { runGuarded([this] { Timer1Timer(); }); });
    connect(FileListBox1, &ClipListView::selectedEntryChanged, this,
            [this] { runGuarded([this] { FileListBox1Change(); }); });
    connect(FileListBox1, &ClipListView::focusEntered, this, [this] { runGuarded([this] { FileListBox1Enter(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { runGuarded([this] { Button1Click(); }); });
    connect(newfile, &NewNameBox::characterTyped, this,
            [this](QChar key) { runGuarded([&] { newfileKeyPress(key); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { runGuarded([this] { Button2Click(); }); });
    ClickFilter::install(Label3, [this] { runGuarded([this] { Label3Click(); }); });
}

void TForm1::Label3Click()
{
    // A new window each time, destroyed here as soon as its modal display ends; the release that
    // its close queued dies with it. Made for the main window, so that window managers keep it
    // above it and take it as the main window's dialog: mutter places a dialog without one beside
    // the active window.
    const auto about = std::make_unique<TForm2>(this);
    Form2 = about.get();
    Form2->AboutMode = true;
    Form2->ShowModal();
}

void TForm1::paintEvent(QPaintEvent*)
{
    // Painted rather than set in the palette, which every control would inherit.
    QPainter(this).fillRect(rect(), Qt::black);
}

void TForm1::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // The frame's size is known only once the window manager has framed the window, which
    // moves it: the frame, not the client area, is then centred, once.
    if (!m_centredWithFrame && frameGeometry().size() != size()) {
        m_centredWithFrame = true;
        centreOnScreen();
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_listHasWindow) {
        m_listHasWindow = true;
        runGuarded([this] { refreshClipList(); });
    }
}

bool TForm1::isTopmost() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TForm1::setTopmost(bool on)
{
    if (isTopmost() == on)
        return;
    const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, on);
    // Switched on the native window: setWindowFlag() would rebuild it, moving it and dropping
    // the focus. The widget is then told the flags it now has.
    if (QWindow* window = windowHandle())
        window->setFlags(flags);
    overrideWindowFlags(flags);
    refreshClipList();
}

int TForm1::outerHeight() const
{
    return frameGeometry().height();
}

void TForm1::setOuterHeight(int height)
{
    const int decoration = frameGeometry().height() - geometry().height();
    setFixedSize(width(), height - decoration);
    AccessibleRoles::announceVisibilityChanges(this);
}

void TForm1::setCompactTabStops(bool compact)
{
    const Qt::FocusPolicy policy = compact ? Qt::ClickFocus : Qt::StrongFocus;
    for (QWidget* control : { static_cast<QWidget*>(mainbox), static_cast<QWidget*>(FileListBox1),
                              static_cast<QWidget*>(Button1), static_cast<QWidget*>(Button2) })
        control->setFocusPolicy(policy);
}
