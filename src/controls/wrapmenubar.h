#pragma once

#include <QList>
#include <QRect>
#include <QWidget>

class QAction;
class QStyleOptionMenuItem;

// A menu bar whose top-level items wrap onto as many rows as the width needs,
// left to right in the order they were added, instead of folding what does
// not fit behind an extension button. Each item is a QAction without a menu,
// triggered by one click. An item wider than a whole row is elided; its full
// caption stays in its tooltip and its accessible name.
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

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void actionEvent(QActionEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QList<QRect> layoutFor(int width) const;
    QSize itemSize(const QAction *action) const;
    QString shownText(int index) const;
    void initItemOption(QStyleOptionMenuItem *option, int index) const;
    void setHovered(int index);
    void relayout();

    QList<QRect> m_rects;
    int m_hovered = -1;
    int m_pressed = -1;
};
