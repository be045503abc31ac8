// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/fileplace.h"
#include "shell/form.h"
#include "store/shortcutentry.h"
#include "text/listrow.h"

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

// The settings window: nine rows of a caption box and a path box with a
// "Gözat" button, and the buttons that save, revert and leave.
class Form2 : public Form
{
    friend class Form;

public:
    static Form2 &instance() { return single<Form2>(); }

    // Text box 1 to 18 (ListRow::box). Touching a box of an unloaded window
    // loads the window first, invisibly.
    QLineEdit *text(int number);
    // Puts entry into row's two boxes: a record read, or the picker's choice.
    void fill(ListRow row, const ShortcutEntry &entry);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Form2();

    void createControls();
    void placeControls();
    void connectHandlers();

    void readRows();
    void checkStorable() const;
    bool mayOverwrite(const FilePlace &expected, const FilePlace &now) const;
    void browse(ListRow row);
    QLineEdit *box(ListRow row, ListRow::Column column) const { return m_texts.at(row.box(column) - 1); }

    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    std::array<QLineEdit *, std::size_t(2) * ListRow::count> m_texts {};
    std::array<QPushButton *, ListRow::count> m_browseButtons {};
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_command3 = nullptr;
    FilePlace m_readPlace;
};
