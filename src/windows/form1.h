// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell/form.h"
#include "text/listrow.h"

#include <array>

class QAction;
class QPushButton;
class WrapMenuBar;

// The launcher: a tiny fixed window near the lower left of the screen, a
// wrapping menu bar of nine launch items, Ayarlar and Omrak, above "Kapat".
class Form1 : public Form
{
    friend class Form;

public:
    static Form1 &instance() { return single<Form1>(); }

    // The launch item at menu position 1 to 9.
    QAction *launchItem(int position) const;
    static QString aboutMessage();

    void Command1_Click();
    void Ayarlar_Click();
    void Omrak_Click();
    void radio_Click();
    void hesap_mak_Click();
    void index_htm_Click();
    void redhouse_Click();
    void iexplorer_Click();
    void numara_çev_Click();
    void web_okulu_Click();
    void mtu_sözlük_Click();
    void pbrush_Click();

protected:
    void Form_Load() override;

private:
    Form1();

    void createControls();
    void placeControls();
    void connectHandlers();
    void fitToMenu();

    void launch(int record, QAction *item);

    WrapMenuBar *m_menu = nullptr;
    std::array<QAction *, ListRow::count> m_launchItems {};
    QAction *m_ayarlar = nullptr;
    QAction *m_omrak = nullptr;
    QWidget *m_client = nullptr;
    QPushButton *m_command1 = nullptr;
};
