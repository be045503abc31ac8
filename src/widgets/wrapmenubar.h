// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QAction;
class QStyleOptionMenuItem;

// A menu bar whose top-level items wrap onto as many rows as the width needs,
// left to right in the order they were added, instead of folding what does
// not fit behind an extension button. Each item is a QAction without a menu,
// triggered by one click. An item wider than a whole row is elided; its full
// caption stays in its tooltip and its accessible name.
//
// From the keyboard it works as a platform menu bar does: Alt pressed and
// released alone, or F10, enters the bar with its first item highlighted; the
// arrows, Home, End and an item's first letter move the highlight; Enter,
// Return or Space triggers the item; Escape, Alt or F10 again, a click
// elsewhere or losing the focus leave it. The bar holds the keyboard focus
// only while it is entered and then gives it back, so it never takes part in
// the tab order. First letters compare by the case rules of the bar's locale.
class WrapMenuBar : public QWidget
{
    Q_OBJECT

public:
    explicit WrapMenuBar(QWidget *parent = nullptr);

    QAction *addItem(const QString &name, const QString &caption);
    QList<QAction *> items() const { return actions(); }

    // Where the item at index stands, in the bar's own coordinates.
    QRect itemRect(int index) const;
    int itemAt(const QPoint &position) const;
    // Triggers the item as a click on it would.
    void activate(int index);
    // The item highlighted from the keyboard, or -1 while the bar is not entered.
    int highlighted() const { return m_highlighted; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void actionEvent(QActionEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Item sizes and places are worked out when first asked for after a
    // change, not at every change: setting nine captions lays out once.
    const QList<QSize> &itemSizes() const;
    const QList<QRect> &itemRects() const;
    QList<QRect> layoutFor(int width) const;
    QSize itemSize(const QAction *action) const;
    QString shownText(int index) const;
    void initItemOption(QStyleOptionMenuItem *option, int index) const;
    void setHovered(int index);
    void invalidate();

    void enter();
    void leave();
    void setHighlighted(int index);
    int onNextRow(int from, int step) const;
    int nextStartingWith(const QString &text) const;

    mutable QList<QSize> m_sizes;
    mutable QList<QRect> m_rects;
    mutable int m_rectsWidth = -1;
    mutable int m_heightWidth = -1;
    mutable int m_height = 0;
    int m_hovered = -1;
    int m_pressed = -1;
    int m_highlighted = -1;
    // Alt is down and no other key or click came since it went down.
    bool m_altAlone = false;
    QPointer<QWidget> m_focusBefore;
};
