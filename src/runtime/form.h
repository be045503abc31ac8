// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>

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

    static void hideAll();
    static bool anyVisible();
    static void unloadAll();

protected:
    Form();
    ~Form() override;

    virtual void Form_Load() {}
    void closeEvent(QCloseEvent *event) override;

private:
    void forget();

    Form **m_slot = nullptr;
    bool m_loaded = false;
};
