#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "WindowFixture.h"

using namespace Qt::StringLiterals;

// The window on a screen scaled by two, as QT_SCALE_FACTOR=2 or a high-density display gives it.
class TestScaledWindow : public QObject
{
    Q_OBJECT

private slots:
    void layoutKeepsItsLogicalSizes();
    void windowTextUsesAnOutlineFont();
};

void TestScaledWindow::layoutKeepsItsLogicalSizes()
{
    WindowFixture f;
    QVERIFY(f.show());
    QCOMPARE(f.window()->devicePixelRatio(), 2.0);
    QCOMPARE(f.window()->size(), QSize(321, 326));
    QCOMPARE(f.control<QWidget>("FileListBox1")->geometry().size().isEmpty(), false);
    // The label's text still fits the place the layout gives it.
    const auto* caption = f.control<QLabel>("Label1");
    QVERIFY2(caption->sizeHint().width() <= caption->width() + 2,
             qPrintable(caption->text() + QString::number(caption->sizeHint().width()) + u" in "_s
                        + QString::number(caption->width())));
}

void TestScaledWindow::windowTextUsesAnOutlineFont()
{
    WindowFixture f;
    for (const char* name : { "Label1", "inputbox", "indexbox", "Button1", "Label3" }) {
        const QFont font = f.control<QWidget>(name)->font();
        const QFontInfo resolved(font);
        QVERIFY2(resolved.family() != QStringLiteral("MS Sans Serif"), name);
        QVERIFY2(QFontDatabase::isSmoothlyScalable(resolved.family(), resolved.styleName()),
                 qPrintable(QString::fromLatin1(name) + u' ' + resolved.family()));
        QCOMPARE(font.pixelSize(), 11);
    }
}

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestScaledWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaledwindow.moc"
