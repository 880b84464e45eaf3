#include "WindowTestCase.h"

#include <QClipboard>
#include <QGuiApplication>

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

void WindowTestCase::clickOn(QWidget* widget, QPoint point) const
{
    QTest::mouseClick(m_f->handle(), Qt::LeftButton, {}, widget->mapTo(m_f->window(), point));
}

void WindowTestCase::clickToEnd(ClipTextEdit* editor) const
{
    const QWidget* viewport = editor->viewport();
    clickOn(editor->viewport(), QPoint(viewport->width() - 2, viewport->height() - 2));
}
