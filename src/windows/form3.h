// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shell/form.h"

class DirListBox;
class DriveListBox;
class FileListBox;
class QPushButton;

// The picker: drive, folder and file lists that follow one another, and
// "Seç", which hands the chosen program to the settings row that asked.
class Form3 : public Form
{
    friend class Form;

public:
    static Form3 &instance() { return single<Form3>(); }

    void Drive1_Change();
    void Dir1_Change();
    void File1_DblClick();
    void Command2_Click();

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Form3();

    void createControls();
    void placeControls();
    void connectHandlers();

    QString programPath() const;

    DriveListBox *m_drive1 = nullptr;
    DirListBox *m_dir1 = nullptr;
    FileListBox *m_file1 = nullptr;
    QPushButton *m_command2 = nullptr;
};
