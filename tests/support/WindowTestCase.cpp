#include "WindowTestCase.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

void WindowTestCase::init()
{
    m_f = std::make_unique<WindowFixture>();
}

void WindowTestCase::cleanup()
{
    m_f.reset();
}

QString WindowTestCase::clipboard()
{
    return QGuiApplication::clipboard()->text();
}

bool WindowTestCase::showWithClip(const QString& name, const QByteArray& title, const QByteArray& body) const
{
    m_f->writeFile(name + u".hed"_s, title);
    m_f->writeFile(name + u".txt"_s, body);
    if (!m_f->show())
        return false;
    m_f->type(name + u'\r');
    return QTest::qWaitFor([this] { return editorsEnabled(); }, kPollWait);
}

void WindowTestCase::clickOn(QWidget* widget, QPoint point) const
{
    QTest::mouseClick(m_f->handle(), Qt::LeftButton, {}, widget->mapTo(m_f->window(), point));
}

void WindowTestCase::clickToEnd(ClipTextEdit* editor) const
{
    const QWidget* viewport = editor->viewport();
    clickOn(editor->viewport(), QPoint(viewport->width() - 2, viewport->height() - 2));
}
