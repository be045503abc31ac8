// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/fileplace.h"
#include "shell/form.h"

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

    static constexpr int rowCount = 9;
    // Text box 1 to 18: row k's caption box is 2k-1, its path box 2k.
    // Touching a box of an unloaded window loads the window first, invisibly.
    QLineEdit *text(int number);

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
    void browse(int row);

    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    std::array<QLineEdit *, std::size_t(2) * rowCount> m_texts {};
    std::array<QPushButton *, rowCount> m_browseButtons {};
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_command3 = nullptr;
    FilePlace m_readPlace;
};
