// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/form2.h"

#include "errors/runtimeerror.h"
#include "shell/messages.h"
#include "shell/runtime.h"
#include "store/handoff.h"
#include "store/shortcutlist.h"
#include "text/fieldreader.h"
#include "text/recordwriter.h"
#include "widgets/appicon.h"
#include "widgets/pushbutton.h"
#include "widgets/textbox.h"
#include "widgets/twips.h"
#include "widgets/wrappushbutton.h"
#include "windows/form3.h"

#include <QKeyEvent>
#include <QLabel>

#include <limits>

Form2::Form2()
{
    createControls();
    placeControls();
    connectHandlers();
}

void Form2::createControls()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Ayarlar"));
    setWindowIcon(AppIcon::icon());

    auto *client = new QWidget(this);
    setCentralWidget(client);
    m_label1 = new QLabel(QStringLiteral("Başlık"), client);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2 = new QLabel(QStringLiteral("Yol"), client);
    m_label2->setObjectName(QStringLiteral("Label2"));
    // A screen reader names each box after its column head and its row.
    for (int number = 1; number <= 2 * ListRow::count; ++number) {
        auto *box = new TextBox(client);
        box->setObjectName(QStringLiteral("Text%1").arg(number));
        box->setMaxLength(std::numeric_limits<int>::max());
        const QLabel *head = ListRow::columnOfBox(number) == ListRow::Caption ? m_label1 : m_label2;
        box->setAccessibleName(QStringLiteral("%1, %2. satır").arg(head->text()).arg(ListRow::ofBox(number).number));
        m_texts[number - 1] = box;
    }
    m_command1 = new WrapPushButton(QStringLiteral("Kaydet ve çık"), client);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2 = new WrapPushButton(QStringLiteral("Değişiklikleri  iptal et"), client);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command3 = new WrapPushButton(QStringLiteral("Kaydetmeden çık"), client);
    m_command3->setObjectName(QStringLiteral("Command3"));
    for (int row = 1; row <= ListRow::count; ++row) {
        auto *button = new PushButton(QStringLiteral("Gözat"), client);
        button->setObjectName(QStringLiteral("Command%1").arg(row + 3));
        button->setAccessibleName(QStringLiteral("Gözat, %1. satır").arg(row));
        m_browseButtons[row - 1] = button;
    }
}

void Form2::placeControls()
{
    setPlace(Twips::rect(2850, 2115, 6585, 4410));
    m_label1->setGeometry(Twips::rect(120, 120, 735, 255));
    m_label2->setGeometry(Twips::rect(1320, 120, 3375, 255));
    for (ListRow row { 1 }; row.number <= ListRow::count; ++row.number) {
        const int top = 480 + 360 * (row.number - 1);
        box(row, ListRow::Caption)->setGeometry(Twips::rect(120, top, 1095, 285));
        box(row, ListRow::Path)->setGeometry(Twips::rect(1320, top, 4335, 285));
        m_browseButtons[row.number - 1]->setGeometry(Twips::rect(5760, top, 735, 255));
    }
    m_command1->setGeometry(Twips::rect(1440, 3840, 1335, 495));
    m_command2->setGeometry(Twips::rect(2880, 3840, 1335, 495));
    m_command3->setGeometry(Twips::rect(4320, 3840, 1335, 495));

    // Row by row through the boxes, then the three buttons, then the browse buttons.
    QList<QWidget *> order(m_texts.begin(), m_texts.end());
    order << m_command1 << m_command2 << m_command3;
    order.append(QList<QWidget *>(m_browseButtons.begin(), m_browseButtons.end()));
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    m_texts[0]->setFocus();
}

void Form2::connectHandlers()
{
    using Handler = void (Form2::*)();
    static constexpr Handler browseHandlers[ListRow::count] = {
        &Form2::Command4_Click,  &Form2::Command5_Click,  &Form2::Command6_Click,
        &Form2::Command7_Click,  &Form2::Command8_Click,  &Form2::Command9_Click,
        &Form2::Command10_Click, &Form2::Command11_Click, &Form2::Command12_Click,
    };
    Runtime::connect(m_command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    Runtime::connect(m_command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    Runtime::connect(m_command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    for (int row = 1; row <= ListRow::count; ++row)
        Runtime::connect(m_browseButtons[row - 1], &QPushButton::clicked, this, browseHandlers[row - 1]);
}

QLineEdit *Form2::text(int number)
{
    load();
    return m_texts.at(number - 1);
}

void Form2::fill(ListRow row, const ShortcutEntry &entry)
{
    text(row.box(ListRow::Caption))->setText(entry.caption);
    text(row.box(ListRow::Path))->setText(entry.path);
}

// Loading and reverting are one procedure: every box is overwritten, each
// row as soon as its record is read.
void Form2::readRows()
{
    // Taken before the read: a change made while reading shows as a change.
    m_readPlace = ShortcutList::place();
    ShortcutList::read(ListRow::count, [this](int row, const ShortcutEntry &entry) { fill({ row }, entry); });
}

void Form2::Form_Load()
{
    readRows();
}

void Form2::Command2_Click()
{
    // The first row takes the focus, so a screen reader speaks what the rows
    // hold now, and typing begins at the top again. Taken before the rows
    // change: a screen reader that sees a box's text and cursor change
    // first takes it for the focus without a word.
    m_texts[0]->setFocus();
    readRows();
}

// A quotation mark or a line break would split a field when the list is read
// back, and a character the code page lacks would be lost: the first box
// that holds one is refused before anything is written.
void Form2::checkStorable() const
{
    for (ListRow row { 1 }; row.number <= ListRow::count; ++row.number) {
        for (const ListRow::Column column : { ListRow::Caption, ListRow::Path }) {
            const QString text = box(row, column)->text();
            const QString bad = RecordWriter::unstorableCharacter(text);
            if (!bad.isEmpty())
                throw RuntimeError(RuntimeError::Box { RuntimeError::BoxNotStorable, row, column, bad });
            // What the list could not read back is not written.
            if (text.size() > FieldReader::maxFieldSize)
                throw RuntimeError(RuntimeError::Box { RuntimeError::BoxTooLong, row, column });
        }
    }
}

void Form2::Command1_Click()
{
    ShortcutList::Entries entries;
    for (ListRow row { 1 }; row.number <= ListRow::count; ++row.number)
        entries[row.number - 1] = { text(row.box(ListRow::Caption))->text(), text(row.box(ListRow::Path))->text() };
    // A list that cannot be stored or written leaves the previous file and
    // every edit as they were, so the user can mend the cause and save again.
    try {
        checkStorable();
        // The list is held from the check to the end of the write, but not
        // while a question waits: the answer is checked against the list
        // as it is once it is held again.
        FilePlace expected = m_readPlace;
        FilePlace now;
        while (!ShortcutList::write(entries, expected, &now)) {
            if (!mayOverwrite(expected, now))
                return;
            expected = now;
        }
    } catch (const RuntimeError &error) {
        Runtime::report(error);
        if (const RuntimeError::Box *refused = std::get_if<RuntimeError::Box>(&error.data()))
            box(refused->row, refused->column)->setFocus();
        return;
    }
    hide();
    Runtime::end();
}

// Another program (a second launcher, a text editor) may have saved the
// list since it was read here: the user chooses whose version stays. Where
// the name now leads to another file, keeping it is what Enter and Escape
// do: the new file may be one the user never meant to write.
bool Form2::mayOverwrite(const FilePlace &expected, const FilePlace &now) const
{
    const QString name = ShortcutList::fileName();
    if (now.sameFile(expected))
        return Runtime::ask(Messages::listChanged(name), Runtime::title(), Messages::listChangedAnswers()) == 0;
    return Runtime::ask(Messages::listMoved(name, now.shownPath(), now.exists()), Runtime::title(),
                        Messages::listMovedAnswers(), 1)
            == 0;
}

// Escape, when no control of the window took it, leaves the window as
// "Kaydetmeden çık" does.
void Form2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        Runtime::run([this] { Command3_Click(); });
    else
        Form::keyPressEvent(event);
}

void Form2::Command3_Click()
{
    hide();
}

// The row asks through the hand-off file, so the picker's next choice goes
// to the row whose button was pressed last. A hand-off file that cannot be
// written is reported and nothing else changes.
void Form2::browse(ListRow row)
{
    try {
        HandOff::ask(row);
    } catch (const RuntimeError &error) {
        Runtime::report(error);
        return;
    }
    // The title stays the picker's own; a screen reader hears the row.
    Form3 &picker = Form3::instance();
    picker.setAccessibleDescription(QStringLiteral("%1. satır için program seçin").arg(row.number));
    picker.show();
}

void Form2::Command4_Click()
{
    browse({ 1 });
}
void Form2::Command5_Click()
{
    browse({ 2 });
}
void Form2::Command6_Click()
{
    browse({ 3 });
}
void Form2::Command7_Click()
{
    browse({ 4 });
}
void Form2::Command8_Click()
{
    browse({ 5 });
}
void Form2::Command9_Click()
{
    browse({ 6 });
}
void Form2::Command10_Click()
{
    browse({ 7 });
}
void Form2::Command11_Click()
{
    browse({ 8 });
}
void Form2::Command12_Click()
{
    browse({ 9 });
}
