// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPointer>

// A window of the program: one instance per class, created on first
// reference and loaded on first use. Loading runs Form_Load while the window
// is still invisible. Closing it from the title bar unloads it: the next
// reference creates a fresh instance, which loads again.
class Form : public QMainWindow
{
    Q_OBJECT

public:
    template <typename T>
    static T &single()
    {
        static Form *slot = nullptr;
        if (!slot) {
            slot = new T;
            slot->m_slot = &slot;
        }
        return static_cast<T &>(*slot);
    }

    // However a window is shown, it is loaded first; shown modeless and
    // without owner, and a window that is already visible comes to the
    // front unchanged.
    void setVisible(bool visible) override;
    void load();
    bool isLoaded() const { return m_loaded; }
    // Where the window asks to be, before it is fitted to the screen.
    QRect place() const { return m_place; }

    // Brings the window to the front with the keyboard focus.
    void bringBack();

    static void hideAll();
    static bool anyVisible();
    static void unloadAll();
    // The window of the program that has the keyboard focus, or the one a
    // box or dialog that has it belongs to; null when none has it.
    static Form *active();
    // Raises every shown window, the first one made (the launcher) last,
    // and returns what should have the focus: an open box, else that window.
    static QWidget *raiseAll();

    // Where a window whose client area is asked for at client, with a frame
    // of the given margins, goes on a screen whose free area is area: there
    // when the whole frame fits, else moved the least distance that brings
    // it inside (its top left kept inside when it is larger than the area).
    static QRect fitted(const QRect &client, const QMargins &frame, const QRect &area);

protected:
    Form();
    ~Form() override;

    virtual void Form_Load() { }
    // The client area's place and size, as the window asks for them.
    void setPlace(const QRect &client);

    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void forget();
    void fitToScreen(const QMargins &frame);
    void fitToFrame();
    void fitToReportedFrame();
    void returnFocus();

    Form **m_slot = nullptr;
    bool m_loaded = false;
    QRect m_place;
    bool m_placed = false;
    // Until the window manager has framed the window, its frame is a guess.
    bool m_frameGuessed = true;
    // The frame the window was last fitted by, and where that put it.
    QMargins m_frame;
    QPoint m_fittedAt;
    // The window the user came from, which gets the focus back.
    QPointer<Form> m_opener;
};
