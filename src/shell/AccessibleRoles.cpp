#include "AccessibleRoles.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QHash>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace {

enum class Kind { Role, HiddenOutsideWindow };

struct Entry
{
    Kind kind = Kind::Role;
    QAccessible::Role role = QAccessible::Client;
    AccessibleRoles::Press press = AccessibleRoles::Press::No;
};

QHash<const QObject*, Entry>& entries()
{
    static QHash<const QObject*, Entry> registered;
    return registered;
}

// Set while Qt's own interface for a widget is made, which asks the factories again.
bool makingQtInterface = false;

bool mostlyOutsideWindow(const QWidget* widget)
{
    const QWidget* window = widget->window();
    if (widget == window)
        return false;
    const QRect area(widget->mapTo(window, QPoint(0, 0)), widget->size());
    const QRect shown = area.intersected(window->rect());
    return shown.height() * 2 < area.height() || shown.width() * 2 < area.width();
}

QAccessible::State withShowingPart(QAccessible::State state, const QObject* object)
{
    if (const auto* widget = qobject_cast<const QWidget*>(object); widget && mostlyOutsideWindow(widget)) {
        state.invisible = true;
        state.offscreen = true;
    }
    return state;
}

// A left click at the widget's middle, as the mouse would give it.
void click(QWidget* widget)
{
    const QPointF middle = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(middle);
    for (const QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease }) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, middle, global, Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
}

class RoleAccessible : public QAccessibleWidget
{
public:
    RoleAccessible(QWidget* widget, const Entry& entry)
        : QAccessibleWidget(widget, entry.role)
        , m_press(entry.press)
    {
    }

    QAccessible::State state() const override { return withShowingPart(QAccessibleWidget::state(), object()); }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (m_press == AccessibleRoles::Press::Yes)
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& actionName) override
    {
        if (m_press != AccessibleRoles::Press::Yes || actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        // The reader waits for the answer: an About box opened before it would keep it waiting.
        QMetaObject::invokeMethod(
            widget(), [target = QPointer<QWidget>(widget())] { if (target) click(target); }, Qt::QueuedConnection);
    }

private:
    AccessibleRoles::Press m_press;
};

// Qt's own interface for the control, with its state corrected for the part of the window that
// shows; everything else is Qt's.
class HiddenOutsideWindowAccessible : public QAccessibleInterface
{
public:
    explicit HiddenOutsideWindowAccessible(QAccessibleInterface* qtInterface)
        : m_qt(qtInterface)
    {
    }
    ~HiddenOutsideWindowAccessible() override
    {
        // Qt's cache holds Qt's interface too; it goes with this one.
        if (const QAccessible::Id id = QAccessible::uniqueId(m_qt); id && QAccessible::accessibleInterface(id) == m_qt)
            QAccessible::deleteAccessibleInterface(id);
    }

    QAccessible::State state() const override { return withShowingPart(m_qt->state(), object()); }

    bool isValid() const override { return m_qt->isValid(); }
    QObject* object() const override { return m_qt->object(); }
    QWindow* window() const override { return m_qt->window(); }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match = QAccessible::AllRelations) const override
    {
        return m_qt->relations(match);
    }
    QAccessibleInterface* focusChild() const override { return m_qt->focusChild(); }
    QAccessibleInterface* childAt(int x, int y) const override { return m_qt->childAt(x, y); }
    QAccessibleInterface* parent() const override { return m_qt->parent(); }
    QAccessibleInterface* child(int index) const override { return m_qt->child(index); }
    int childCount() const override { return m_qt->childCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override { return m_qt->indexOfChild(child); }
    QString text(QAccessible::Text type) const override { return m_qt->text(type); }
    void setText(QAccessible::Text type, const QString& text) override { m_qt->setText(type, text); }
    QRect rect() const override { return m_qt->rect(); }
    QAccessible::Role role() const override { return m_qt->role(); }
    QColor foregroundColor() const override { return m_qt->foregroundColor(); }
    QColor backgroundColor() const override { return m_qt->backgroundColor(); }
    void* interface_cast(QAccessible::InterfaceType type) override { return m_qt->interface_cast(type); }

private:
    QAccessibleInterface* m_qt;
};

QAccessibleInterface* interfaceFor(const QString&, QObject* object)
{
    if (makingQtInterface || !object || !object->isWidgetType())
        return nullptr;
    const auto found = entries().constFind(object);
    if (found == entries().constEnd())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (found->kind == Kind::Role)
        return new RoleAccessible(widget, *found);
    makingQtInterface = true;
    QAccessibleInterface* qtInterface = QAccessible::queryAccessibleInterface(object);
    makingQtInterface = false;
    return qtInterface ? new HiddenOutsideWindowAccessible(qtInterface) : nullptr;
}

void registerWidget(QWidget* widget, const Entry& entry)
{
    static const bool installed = [] {
        QAccessible::installFactory(&interfaceFor);
        return true;
    }();
    Q_UNUSED(installed);
    entries().insert(widget, entry);
    QObject::connect(widget, &QObject::destroyed, [](QObject* gone) { entries().remove(gone); });
    // Setting a text or a name has made and kept Qt's interface already, screen reader or not;
    // it is replaced before any reader has seen it.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace

namespace AccessibleRoles {

void setRole(QWidget* widget, QAccessible::Role role, Press press)
{
    registerWidget(widget, { Kind::Role, role, press });
}

void hideWhenOutsideWindow(QWidget* widget)
{
    registerWidget(widget, { Kind::HiddenOutsideWindow, QAccessible::Client, Press::No });
}

void announceVisibilityChanges(const QWidget* window)
{
    if (!QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.invisible = true;
    changed.offscreen = true;
    for (auto it = entries().cbegin(); it != entries().cend(); ++it) {
        auto* widget = const_cast<QWidget*>(static_cast<const QWidget*>(it.key()));
        if (widget == window || widget->window() != window)
            continue;
        QAccessibleStateChangeEvent event(widget, changed);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace AccessibleRoles
