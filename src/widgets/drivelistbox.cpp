// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/drivelistbox.h"

#include "filesystem/volumes.h"

#include <QAccessible>
#include <QDir>
#include <QListView>
#include <QSignalBlocker>
#include <QStylePainter>

DriveListBox::DriveListBox(QWidget *parent)
    : QComboBox(parent)
{
    // The list has a fixed place and size, and every drive is one line of
    // text: neither the list nor its popup need measure thousands of them.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto *list = qobject_cast<QListView *>(view()))
        list->setUniformItemSizes(true);
    fill();
    select(Volumes::of(Volumes::startFolder()).text);
    setToolTip(drive());
    m_previous = drive();
    connect(this, &QComboBox::activated, this, [this] {
        if (drive() == m_previous)
            return;
        driveShown();
        emit changed();
        m_previous = drive();
    });
}

// The box is narrow: the whole name is in its tooltip and, for a screen
// reader, in its accessible name. Screen readers take a changed name of a
// combo box for a redundant notice and learn its new value from a selected
// child, which Qt does not give them; the drive's own item in the list that
// drops down is what they hear instead.
void DriveListBox::driveShown()
{
    setToolTip(drive());
    if (hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent focus(view(), QAccessible::Focus);
        focus.setChild(currentIndex());
        QAccessible::updateAccessibility(&focus);
    }
}

// A drive's text is told apart from another's by its start (the mount
// point's first folders) and its end (the last folder, a label), so a text
// too long for the box loses its middle. The whole text is the tooltip and
// what a screen reader reads.
void DriveListBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, field.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void DriveListBox::fill()
{
    const QString selected = drive();
    const QSignalBlocker blocker(this);
    QStringList texts;
    const QList<Volume> volumes = Volumes::list();
    texts.reserve(volumes.size());
    for (const Volume &volume : volumes)
        texts.append(volume.text);
    // All in one insertion: a host with thousands of mounts fills at once.
    clear();
    addItems(texts);
    select(selected);
}

void DriveListBox::select(const QString &text)
{
    const int index = findText(text);
    if (index >= 0 && index != currentIndex()) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
        driveShown();
    }
}

void DriveListBox::restorePrevious()
{
    select(m_previous);
}

// Volumes come and go: the list is read again each time it opens.
void DriveListBox::showPopup()
{
    fill();
    QComboBox::showPopup();
}
