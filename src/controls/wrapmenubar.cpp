#include "controls/wrapmenubar.h"

#include "controls/wrapmenubaraccessible.h"

#include <QAccessible>
#include <QAction>
#include <QActionEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionMenuItem>

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
    WrapMenuBarAccessible::install();
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
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

QList<QRect> WrapMenuBar::layoutFor(int width) const
{
    QList<QRect> rects;
    int rowHeight = fontMetrics().height();
    for (const QAction *action : actions())
        rowHeight = qMax(rowHeight, itemSize(action).height());

    int x = 0;
    int y = 0;
    for (const QAction *action : actions()) {
        const int itemWidth = qMin(itemSize(action).width(), qMax(width, 1));
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
    const QList<QRect> rects = layoutFor(width);
    return rects.isEmpty() ? fontMetrics().height() : rects.last().bottom() + 1;
}

QSize WrapMenuBar::sizeHint() const
{
    int width = 0;
    for (const QAction *action : actions())
        width += itemSize(action).width();
    return QSize(width, heightForWidth(width));
}

QSize WrapMenuBar::minimumSizeHint() const
{
    return QSize(0, heightForWidth(width()));
}

QRect WrapMenuBar::itemRect(int index) const
{
    return index >= 0 && index < m_rects.size() ? m_rects.at(index) : QRect();
}

int WrapMenuBar::itemAt(const QPoint &position) const
{
    for (int i = 0; i < m_rects.size(); ++i) {
        if (m_rects.at(i).contains(position))
            return i;
    }
    return -1;
}

void WrapMenuBar::activate(int index)
{
    const QList<QAction *> all = actions();
    if (index >= 0 && index < all.size() && all.at(index)->isEnabled())
        all.at(index)->trigger();
}

QString WrapMenuBar::shownText(int index) const
{
    const QAction *action = actions().at(index);
    const int natural = itemSize(action).width();
    const int available = itemRect(index).width();
    if (natural <= available)
        return literal(action->text());
    return literal(fontMetrics().elidedText(action->text(), Qt::ElideRight,
                                            available - 2 * itemPadding));
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
    else if (index == m_hovered || index == m_pressed)
        option->state |= QStyle::State_Selected | QStyle::State_Sunken;
}

void WrapMenuBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionMenuItem empty;
    empty.initFrom(this);
    empty.menuItemType = QStyleOptionMenuItem::EmptyArea;
    empty.rect = rect();
    style()->drawControl(QStyle::CE_MenuBarEmptyArea, &empty, &painter, this);
    for (int i = 0; i < m_rects.size(); ++i) {
        QStyleOptionMenuItem option;
        initItemOption(&option, i);
        // The style draws the item's face; the caption is drawn here, since
        // styles cut it short by margins meant for a wide bar.
        const QString caption = option.text;
        option.text.clear();
        style()->drawControl(QStyle::CE_MenuBarItem, &option, &painter, this);
        const bool highlighted = option.state & QStyle::State_Selected;
        style()->drawItemText(&painter, option.rect,
                              Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine,
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
    setToolTip(index >= 0 && shownText(index) != literal(all.at(index)->text()) ? all.at(index)->text()
                                                                                 : QString());
    update();
}

void WrapMenuBar::mouseMoveEvent(QMouseEvent *event)
{
    setHovered(itemAt(event->position().toPoint()));
}

void WrapMenuBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = itemAt(event->position().toPoint());
    update();
}

void WrapMenuBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int pressed = m_pressed;
    m_pressed = -1;
    update();
    if (pressed >= 0 && pressed == itemAt(event->position().toPoint()))
        activate(pressed);
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
        relayout();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void WrapMenuBar::actionEvent(QActionEvent *event)
{
    relayout();
    if (event->type() == QEvent::ActionChanged) {
        const int index = int(actions().indexOf(event->action()));
        if (index >= 0) {
            QAccessibleEvent accessible(this, QAccessible::NameChanged);
            accessible.setChild(index);
            QAccessible::updateAccessibility(&accessible);
        }
    }
}

void WrapMenuBar::resizeEvent(QResizeEvent *)
{
    relayout();
}

void WrapMenuBar::relayout()
{
    const QList<QRect> rects = layoutFor(width());
    const bool heightChanged = rects.isEmpty() || m_rects.isEmpty()
                               || rects.last().bottom() != m_rects.last().bottom();
    m_rects = rects;
    if (heightChanged)
        updateGeometry();
    update();
}
