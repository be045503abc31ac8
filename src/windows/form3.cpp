// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/form3.h"

#include "errors/runtimeerror.h"
#include "shell/runtime.h"
#include "store/handoff.h"
#include "widgets/dirlistbox.h"
#include "widgets/drivelistbox.h"
#include "widgets/filelistbox.h"
#include "widgets/pushbutton.h"
#include "widgets/twips.h"
#include "windows/form2.h"

#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>

Form3::Form3()
{
    createControls();
    placeControls();
    connectHandlers();
}

void Form3::createControls()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Kısayol oluştur"));

    auto *client = new QWidget(this);
    setCentralWidget(client);
    m_drive1 = new DriveListBox(client);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_dir1 = new DirListBox(client);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_file1 = new FileListBox(client);
    m_file1->setObjectName(QStringLiteral("File1"));
    // The lists carry no caption on screen; a screen reader still names them.
    m_drive1->setAccessibleName(QStringLiteral("Sürücü"));
    m_dir1->setAccessibleName(QStringLiteral("Klasörler"));
    m_file1->setAccessibleName(QStringLiteral("Dosyalar"));
    m_command2 = new PushButton(QStringLiteral("Seç"), client);
    m_command2->setObjectName(QStringLiteral("Command2"));
}

void Form3::placeControls()
{
    setPlace(Twips::rect(2760, 2115, 3705, 4905));
    m_drive1->setGeometry(Twips::rect(120, 120, 1095, 315));
    m_dir1->setGeometry(Twips::rect(120, 480, 3495, 1440));
    m_file1->setGeometry(Twips::rect(120, 1920, 3495, 2430));
    m_command2->setGeometry(Twips::rect(1920, 4440, 1455, 375));
    // The file list comes before the folder list.
    setTabOrder(m_drive1, m_file1);
    setTabOrder(m_file1, m_dir1);
    setTabOrder(m_dir1, m_command2);
    m_drive1->setFocus();
}

void Form3::connectHandlers()
{
    Runtime::connect(m_drive1, &DriveListBox::changed, this, &Form3::Drive1_Change);
    Runtime::connect(m_dir1, &DirListBox::changed, this, &Form3::Dir1_Change);
    Runtime::connect(m_file1, &FileListBox::chosen, this, &Form3::File1_DblClick);
    Runtime::connect(m_command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(m_dir1, &DirListBox::unreadable, this, [](const QString &folder, int error) {
        Runtime::report(RuntimeError(RuntimeError::File { RuntimeError::FolderNotRead, folder, error }));
    });
}

// Escape, when no control of the window took it (an open drive list closes
// by it first), leaves the picker as its title bar's close control does:
// nothing chosen.
void Form3::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        Form::keyPressEvent(event);
}

void Form3::Form_Load()
{
    m_file1->setPattern(QStringLiteral("*.EXE"));
}

// A drive that cannot be read is reported (by the folder list's signal)
// and the previous drive stays selected, so nothing the user has open
// elsewhere is lost.
void Form3::Drive1_Change()
{
    if (!m_dir1->setPath(m_drive1->drive()))
        m_drive1->restorePrevious();
}

void Form3::Dir1_Change()
{
    m_file1->setPath(m_dir1->nativePath());
}

// Pressing "Seç" from code, as setting its Value would: the choice runs
// completely before this returns.
void Form3::File1_DblClick()
{
    m_command2->click();
}

QString Form3::programPath() const
{
    const QString folder = m_file1->path();
    const QString separator = QDir::separator();
    return folder.endsWith(separator) ? folder + m_file1->fileName() : folder + separator + m_file1->fileName();
}

void Form3::Command2_Click()
{
    // With nothing selected the row would lose its caption and get a folder
    // for a program: everything stays as it is, and the user is told why.
    if (m_file1->fileName().isEmpty()) {
        Runtime::report(RuntimeError(RuntimeError::File { RuntimeError::NoProgramSelected, m_file1->path() }));
        return;
    }

    // A choice the hand-off file cannot take or give back is reported; the
    // settings window keeps every edit and the picker stays open.
    HandOff::Choice choice;
    try {
        choice = HandOff::choose(m_file1->fileName(), programPath());
    } catch (const RuntimeError &error) {
        Runtime::report(error);
        return;
    }
    if (choice.row.number > 0) {
        Form2 &settings = Form2::instance();
        settings.fill(choice.row, choice.entry);
        // The settings window gets the focus back on the filled row, so a
        // screen reader speaks the new name and its row.
        settings.text(choice.row.box(ListRow::Caption))->setFocus();
    }
    hide();
}
