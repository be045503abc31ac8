// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/form.h"

#include "desktop/desktop.h"
#include "shell/windowevents.h"

#include <QApplication>
#include <QCloseEvent>
#include <QList>
#include <QScreen>

namespace {
QList<Form *> &liveForms()
{
    static QList<Form *> forms;
    return forms;
}

// The frame a window manager puts around a window is known only once it has
// framed one; until then a title bar and thin borders are assumed. The last
// frame seen serves every window after it.
QMargins &knownFrame()
{
    static QMargins frame(8, 32, 8, 8);
    return frame;
}

// Set while the program ends: no window takes the focus from another then.
bool ending = false;

int shift(int low, int high, int areaLow, int areaHigh)
{
    if (high - low > areaHigh - areaLow || low < areaLow)
        return areaLow - low;
    return high > areaHigh ? areaHigh - high : 0;
}
}

Form::Form()
{
    liveForms().append(this);
}

Form::~Form()
{
    forget();
}

void Form::forget()
{
    liveForms().removeOne(this);
    if (m_slot && *m_slot == this)
        *m_slot = nullptr;
    m_slot = nullptr;
}

void Form::load()
{
    if (m_loaded)
        return;
    // Set first: Form_Load may touch the window's own controls.
    m_loaded = true;
    Form_Load();
}

void Form::setVisible(bool visible)
{
    if (!visible) {
        const bool hadFocus = isVisible() && active() == this;
        QMainWindow::setVisible(false);
        if (hadFocus)
            returnFocus();
        return;
    }
    if (!isVisible()) {
        load();
        Form *from = active();
        m_opener = from != this ? from : nullptr;
        // Placed when first shown; a hidden window comes back where it was left.
        if (!m_placed) {
            m_placed = true;
            fitToScreen(knownFrame());
        }
    }
    QMainWindow::setVisible(true);
    bringBack();
}

void Form::bringBack()
{
    raise();
    activateWindow();
}

// The window the user came from, if it is still there, else the first of
// the program's windows that is: a window manager left to itself may give
// the focus to no window of the program at all.
void Form::returnFocus()
{
    if (ending)
        return;
    Form *target = m_opener && m_opener->isVisible() ? m_opener.data() : nullptr;
    for (Form *form : liveForms()) {
        if (!target && form != this && form->isVisible())
            target = form;
    }
    if (target)
        target->bringBack();
}

void Form::closeEvent(QCloseEvent *event)
{
    event->accept();
    const bool hadFocus = active() == this;
    forget();
    deleteLater();
    if (hadFocus)
        returnFocus();
    emit WindowEvents::instance().closed();
}

void Form::setPlace(const QRect &client)
{
    m_place = client;
    if (isVisible())
        fitToScreen(m_frame);
    else
        setGeometry(client);
}

QRect Form::fitted(const QRect &client, const QMargins &frame, const QRect &area)
{
    const QRect outer = client.marginsAdded(frame);
    return client.translated(shift(outer.left(), outer.right(), area.left(), area.right()),
                             shift(outer.top(), outer.bottom(), area.top(), area.bottom()));
}

void Form::fitToScreen(const QMargins &frame)
{
    m_frame = frame;
    QScreen *own = screen();
    if (m_place.isNull() || !own)
        return;
    // The screens of another X screen of the display stand at the same
    // coordinates as this one's, but the window cannot go there.
    const QScreen *at = own->virtualSiblingAt(m_place.center());
    const QRect placed = fitted(m_place, frame, (at ? at : own)->availableGeometry());
    m_fittedAt = placed.topLeft();
    setGeometry(placed);
}

void Form::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitToFrame();
}

void Form::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitToFrame();
}

// The window manager frames a window as it maps it and tells its size; the
// window is fitted once more with the real frame.
void Form::fitToFrame()
{
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    if (!m_frameGuessed || !isVisible() || outer == inner)
        return;
    m_frameGuessed = false;
    knownFrame() = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                            outer.bottom() - inner.bottom());
    fitToScreen(knownFrame());
}

bool Form::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    if (Desktop::framing(eventType, message))
        fitToReportedFrame();
    return QMainWindow::nativeEvent(eventType, message, result);
}

// On X11 the window manager reports the frame it has put around the window
// once it has framed it, and again whenever the frame changes: that frame is
// the one the window is fitted by, not the frame Qt derives from it in its
// own pixels. A window the user (or the window manager, maximising it) has
// moved since it was fitted stays where it is.
void Form::fitToReportedFrame()
{
    const std::optional<QMargins> frame = Desktop::frame(this);
    if (!frame || !isVisible() || geometry().topLeft() != m_fittedAt)
        return;
    m_frameGuessed = false;
    knownFrame() = *frame;
    if (*frame != m_frame)
        fitToScreen(*frame);
}

void Form::hideAll()
{
    ending = true;
    for (Form *form : liveForms())
        form->hide();
    ending = false;
}

bool Form::anyVisible()
{
    for (const Form *form : liveForms()) {
        if (form->isVisible())
            return true;
    }
    return false;
}

void Form::unloadAll()
{
    while (!liveForms().isEmpty())
        delete liveForms().first();
}

QWidget *Form::raiseAll()
{
    QWidget *front = nullptr;
    for (qsizetype i = liveForms().size() - 1; i >= 0; --i) {
        if (liveForms().at(i)->isVisible()) {
            front = liveForms().at(i);
            front->raise();
        }
    }
    if (QWidget *box = QApplication::activeModalWidget())
        front = box;
    return front;
}

Form *Form::active()
{
    for (QWidget *window = QApplication::activeWindow(); window;) {
        if (auto *form = qobject_cast<Form *>(window))
            return liveForms().contains(form) ? form : nullptr;
        window = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    }
    return nullptr;
}
