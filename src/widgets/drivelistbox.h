// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

// The drive list: the mounted volumes, each as its mount point with its
// label. It starts on the start folder's volume (Volumes).
class DriveListBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DriveListBox(QWidget *parent = nullptr);

    // The selected drive's text.
    QString drive() const { return currentText(); }
    // Goes back to the drive that was selected before the last change.
    void restorePrevious();

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent *event) override;

signals:
    // The user selected another drive.
    void changed();

private:
    void fill();
    void select(const QString &text);
    void driveShown();

    QString m_previous;
};
