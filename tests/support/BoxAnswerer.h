#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <utility>

// What a modal message box showed before the test answered it.
struct SeenBox
{
    bool seen = false;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons; // from left to right
    QString defaultButton;
    QString escapeButton;
    QPoint centre;
    Qt::TextFormat format = Qt::AutoText;

    // Caption, icon, buttons and text in one line, to compare with errorBox(); a box not seen
    // has none of them.
    QString summary() const
    {
        const char* iconName = QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(icon);
        return QStringList { caption, QLatin1StringView(iconName), buttons.join(u','), text }.join(u" | ");
    }
    // The summary of the program's error box showing the text.
    static QString errorBox(const QString& text)
    {
        SeenBox box;
        box.caption = QStringLiteral("Snipwell 1.0");
        box.text = text;
        box.icon = QMessageBox::Critical;
        box.buttons = QStringList { QStringLiteral("OK") };
        return box.summary();
    }

    static SeenBox of(const QMessageBox* box)
    {
        QList<QAbstractButton*> buttons = box->buttons();
        std::sort(buttons.begin(), buttons.end(),
                  [](const QAbstractButton* a, const QAbstractButton* b) { return a->x() < b->x(); });
        QStringList texts;
        for (const QAbstractButton* button : std::as_const(buttons))
            texts << button->text();
        return { true,
                 box->windowTitle(),
                 box->text(),
                 box->icon(),
                 texts,
                 box->defaultButton() ? box->defaultButton()->text() : QString(),
                 box->escapeButton() ? box->escapeButton()->text() : QString(),
                 box->geometry().center(),
                 box->textFormat() };
    }
};

// Answers the next modal message box that shows while it lives, after noting what the box
// showed: with the given answer, else with the box's first button. With a condition, the box
// stays open until the condition holds (or a few seconds pass). A modal box runs its own event
// loop, so the answer comes from a timer inside that loop.
class BoxAnswerer : public SeenBox
{
public:
    using Answer = std::function<void(QMessageBox*)>;

    explicit BoxAnswerer(Answer answer = firstButton, std::function<bool()> answerWhen = {})
        : m_answer(std::move(answer))
        , m_answerWhen(std::move(answerWhen))
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
        m_timer.start(10);
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    static void firstButton(QMessageBox* box) { box->buttons().constFirst()->click(); }

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (!seen) {
            static_cast<SeenBox&>(*this) = SeenBox::of(box);
            m_deadline.setRemainingTime(5000);
        }
        if (m_answerWhen && !m_answerWhen() && !m_deadline.hasExpired())
            return;
        m_timer.stop();
        m_answer(box);
    }

    Answer m_answer;
    std::function<bool()> m_answerWhen;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
};
