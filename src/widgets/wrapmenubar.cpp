// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/wrapmenubar.h"

#include <QAccessible>
#include <QAction>
#include <QActionEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace {
constexpr int itemPadding = 4;

// Captions are the user's own text: an ampersand is shown, not taken as a
// mnemonic marker by the style.
QString literal(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}
}

WrapMenuBar::WrapMenuBar(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    // Alt and F10 go to whichever control of the window has the focus, and
    // that control may take them: the bar looks at them before it does.
    qApp->installEventFilter(this);
}

QAction *WrapMenuBar::addItem(const QString &name, const QString &caption)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    addAction(action);
    return action;
}

QSize WrapMenuBar::itemSize(const QAction *action) const
{
    QStyleOptionMenuItem option;
    option.initFrom(this);
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.text = literal(action->text());
    const QSize text(fontMetrics().horizontalAdvance(action->text()), fontMetrics().height());
    const QSize styled = style()->sizeFromContents(QStyle::CT_MenuBarItem, &option, text, this);
    // The styles pad items for a wide bar; on a window this narrow a tighter
    // item lets more captions show whole.
    return QSize(qMin(styled.width(), text.width() + 2 * itemPadding), styled.height());
}

const QList<QSize> &WrapMenuBar::itemSizes() const
{
    if (m_sizes.size() != actions().size()) {
        m_sizes.clear();
        for (const QAction *action : actions())
            m_sizes.append(itemSize(action));
    }
    return m_sizes;
}

const QList<QRect> &WrapMenuBar::itemRects() const
{
    if (m_rectsWidth != width()) {
        m_rects = layoutFor(width());
        m_rectsWidth = width();
    }
    return m_rects;
}

QList<QRect> WrapMenuBar::layoutFor(int width) const
{
    QList<QRect> rects;
    int rowHeight = fontMetrics().height();
    for (const QSize &size : itemSizes())
        rowHeight = qMax(rowHeight, size.height());

    int x = 0;
    int y = 0;
    for (const QSize &size : itemSizes()) {
        const int itemWidth = qMin(size.width(), qMax(width, 1));
        if (x > 0 && x + itemWidth > width) {
            x = 0;
            y += rowHeight;
        }
        rects.append(QRect(x, y, itemWidth, rowHeight));
        x += itemWidth;
    }
    return rects;
}

int WrapMenuBar::heightForWidth(int width) const
{
    if (m_heightWidth != width) {
        const QList<QRect> rects = layoutFor(width);
        m_height = rects.isEmpty() ? fontMetrics().height() : rects.last().bottom() + 1;
        m_heightWidth = width;
    }
    return m_height;
}

QSize WrapMenuBar::sizeHint() const
{
    int width = 0;
    for (const QSize &size : itemSizes())
        width += size.width();
    return QSize(width, heightForWidth(width));
}

QSize WrapMenuBar::minimumSizeHint() const
{
    return QSize(0, heightForWidth(width()));
}

QRect WrapMenuBar::itemRect(int index) const
{
    const QList<QRect> &rects = itemRects();
    return index >= 0 && index < rects.size() ? rects.at(index) : QRect();
}

int WrapMenuBar::itemAt(const QPoint &position) const
{
    const QList<QRect> &rects = itemRects();
    const auto found = std::find_if(rects.begin(), rects.end(), [&](const QRect &r) { return r.contains(position); });
    return found == rects.end() ? -1 : int(found - rects.begin());
}

void WrapMenuBar::activate(int index)
{
    // A disabled action ignores the trigger itself.
    if (QAction *action = actions().value(index))
        action->trigger();
}

QString WrapMenuBar::shownText(int index) const
{
    const QAction *action = actions().at(index);
    const int natural = itemSizes().at(index).width();
    const int available = itemRect(index).width();
    if (natural <= available)
        return literal(action->text());
    return literal(fontMetrics().elidedText(action->text(), Qt::ElideRight, available - 2 * itemPadding));
}

void WrapMenuBar::initItemOption(QStyleOptionMenuItem *option, int index) const
{
    option->initFrom(this);
    option->menuItemType = QStyleOptionMenuItem::Normal;
    option->checkType = QStyleOptionMenuItem::NotCheckable;
    option->rect = itemRect(index);
    option->menuRect = rect();
    option->text = shownText(index);
    option->state &= ~(QStyle::State_Selected | QStyle::State_Sunken | QStyle::State_HasFocus);
    if (!actions().at(index)->isEnabled())
        option->state &= ~QStyle::State_Enabled;
    else if (m_highlighted >= 0 ? index == m_highlighted : index == m_hovered || index == m_pressed)
        option->state |= QStyle::State_Selected | QStyle::State_Sunken;
    if (index == m_highlighted)
        option->state |= QStyle::State_HasFocus;
}

void WrapMenuBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionMenuItem empty;
    empty.initFrom(this);
    empty.menuItemType = QStyleOptionMenuItem::EmptyArea;
    empty.rect = rect();
    style()->drawControl(QStyle::CE_MenuBarEmptyArea, &empty, &painter, this);
    for (int i = 0; i < itemRects().size(); ++i) {
        QStyleOptionMenuItem option;
        initItemOption(&option, i);
        // The style draws the item's face; the caption is drawn here, since
        // styles cut it short by margins meant for a wide bar.
        const QString caption = option.text;
        option.text.clear();
        style()->drawControl(QStyle::CE_MenuBarItem, &option, &painter, this);
        const bool highlighted = option.state & QStyle::State_Selected;
        style()->drawItemText(&painter, option.rect, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine,
                              option.palette, option.state & QStyle::State_Enabled, caption,
                              highlighted ? QPalette::HighlightedText : QPalette::ButtonText);
    }
}

void WrapMenuBar::setHovered(int index)
{
    if (index == m_hovered)
        return;
    m_hovered = index;
    const QList<QAction *> all = actions();
    setToolTip(index >= 0 && shownText(index) != literal(all.at(index)->text()) ? all.at(index)->text() : QString());
    update();
}

void WrapMenuBar::mouseMoveEvent(QMouseEvent *event)
{
    const int index = itemAt(event->position().toPoint());
    setHovered(index);
    if (m_highlighted >= 0 && index >= 0)
        setHighlighted(index);
}

void WrapMenuBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = itemAt(event->position().toPoint());
    if (m_pressed < 0)
        leave();
    update();
}

void WrapMenuBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int pressed = m_pressed;
    m_pressed = -1;
    update();
    if (pressed >= 0 && pressed == itemAt(event->position().toPoint())) {
        leave();
        activate(pressed);
    }
}

void WrapMenuBar::enter()
{
    if (m_highlighted >= 0 || actions().isEmpty())
        return;
    m_focusBefore = window()->focusWidget();
    // Focus first: a screen reader hears the bar, then its first item.
    setFocus(Qt::MenuBarFocusReason);
    setHighlighted(0);
}

// The focus goes back where it was, unless it has already moved on to
// another control (Tab, a click). A window that is no longer active gets
// it back there when it is activated again.
void WrapMenuBar::leave()
{
    if (m_highlighted < 0)
        return;
    m_highlighted = -1;
    update();
    if (window()->focusWidget() == this) {
        if (m_focusBefore)
            m_focusBefore->setFocus(Qt::MenuBarFocusReason);
        else
            clearFocus();
    }
}

// A screen reader follows the highlight as it follows the focus.
void WrapMenuBar::setHighlighted(int index)
{
    if (index < 0 || index == m_highlighted)
        return;
    m_highlighted = index;
    update();
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(index);
    QAccessible::updateAccessibility(&focus);
}

// The item on the row step rows down (or up), wrapping from the last row to
// the first, whose middle is nearest to the middle of the item at from.
int WrapMenuBar::onNextRow(int from, int step) const
{
    const QList<QRect> &rects = itemRects();
    QList<int> tops;
    for (const QRect &rect : rects) {
        if (!tops.contains(rect.top()))
            tops.append(rect.top());
    }
    const qsizetype row = tops.indexOf(rects.at(from).top());
    const int top = tops.at((row + step + tops.size()) % tops.size());
    int nearest = from;
    int distance = -1;
    for (int i = 0; i < rects.size(); ++i) {
        const int d = qAbs(rects.at(i).center().x() - rects.at(from).center().x());
        if (rects.at(i).top() == top && (distance < 0 || d < distance)) {
            nearest = i;
            distance = d;
        }
    }
    return nearest;
}

// The next item after the highlighted one, going round, whose caption
// begins with the same letter, compared without regard to case.
int WrapMenuBar::nextStartingWith(const QString &text) const
{
    const QList<QAction *> all = actions();
    const QString wanted = locale().toUpper(text.left(1));
    for (int step = 1; step <= all.size(); ++step) {
        const int index = int((m_highlighted + step) % all.size());
        if (locale().toUpper(all.at(index)->text().left(1)) == wanted)
            return index;
    }
    return -1;
}

void WrapMenuBar::keyPressEvent(QKeyEvent *event)
{
    if (m_highlighted < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int count = int(actions().size());
    switch (event->key()) {
    case Qt::Key_Right:
        setHighlighted((m_highlighted + 1) % count);
        break;
    case Qt::Key_Left:
        setHighlighted((m_highlighted + count - 1) % count);
        break;
    case Qt::Key_Down:
        setHighlighted(onNextRow(m_highlighted, 1));
        break;
    case Qt::Key_Up:
        setHighlighted(onNextRow(m_highlighted, -1));
        break;
    case Qt::Key_Home:
        setHighlighted(0);
        break;
    case Qt::Key_End:
        setHighlighted(count - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: {
        const int index = m_highlighted;
        leave();
        activate(index);
        break;
    }
    case Qt::Key_Escape:
        leave();
        break;
    default:
        if (!event->text().isEmpty() && event->text().at(0).isPrint())
            setHighlighted(nextStartingWith(event->text()));
        break;
    }
}

void WrapMenuBar::focusOutEvent(QFocusEvent *event)
{
    leave();
    QWidget::focusOutEvent(event);
}

bool WrapMenuBar::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::MouseButtonPress
        && type != QEvent::WindowDeactivate)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != window() || !isVisible())
        return false;
    if (type == QEvent::MouseButtonPress || type == QEvent::WindowDeactivate) {
        m_altAlone = false;
        if (widget != this)
            leave();
        return false;
    }

    const auto *key = static_cast<QKeyEvent *>(event);
    const bool alt = key->key() == Qt::Key_Alt && !(key->modifiers() & ~(Qt::AltModifier | Qt::KeypadModifier));
    if (type == QEvent::KeyPress) {
        m_altAlone = alt || (m_altAlone && key->key() == Qt::Key_Alt);
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::NoModifier)
            return false;
    } else if (!alt || !m_altAlone) {
        return false;
    }
    m_altAlone = false;
    if (!key->isAutoRepeat()) {
        if (m_highlighted >= 0)
            leave();
        else
            enter();
    }
    return true;
}

bool WrapMenuBar::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Leave:
    case QEvent::HoverLeave:
        setHovered(-1);
        break;
    case QEvent::FontChange:
    case QEvent::StyleChange:
        invalidate();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void WrapMenuBar::actionEvent(QActionEvent *event)
{
    invalidate();
    // A highlight would point past the items or at another item.
    if (event->type() == QEvent::ActionRemoved)
        leave();
    if (event->type() == QEvent::ActionChanged) {
        const int index = int(actions().indexOf(event->action()));
        if (index >= 0) {
            QAccessibleEvent accessible(this, QAccessible::NameChanged);
            accessible.setChild(index);
            QAccessible::updateAccessibility(&accessible);
        }
    }
}

void WrapMenuBar::invalidate()
{
    m_sizes.clear();
    m_rectsWidth = -1;
    m_heightWidth = -1;
    updateGeometry();
    update();
}
