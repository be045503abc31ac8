// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/drivelistbox.h"

#include "controls/accessiblefactory.h"
#include "controls/volumes.h"

#include <QDir>
#include <QListView>
#include <QSignalBlocker>

DriveListBox::DriveListBox(QWidget *parent)
    : QComboBox(parent)
{
    AccessibleFactory::install();
    // The list has a fixed place and size, and every drive is one line of
    // text: neither the list nor its popup need measure thousands of them.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto *list = qobject_cast<QListView *>(view()))
        list->setUniformItemSizes(true);
    fill();
    select(Volumes::of(QDir::currentPath()).text);
    m_previous = drive();
    connect(this, &QComboBox::activated, this, [this] {
        if (drive() == m_previous)
            return;
        emit changed();
        m_previous = drive();
    });
}

void DriveListBox::fill()
{
    const QString selected = drive();
    const QSignalBlocker blocker(this);
    QStringList texts;
    const QList<Volumes::Volume> volumes = Volumes::list();
    texts.reserve(volumes.size());
    for (const Volumes::Volume &volume : volumes)
        texts.append(volume.text);
    // All in one insertion: a host with thousands of mounts fills at once.
    clear();
    addItems(texts);
    select(selected);
}

void DriveListBox::select(const QString &text)
{
    const int index = findText(text);
    if (index >= 0) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
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
