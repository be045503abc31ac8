#pragma once

#include <QString>
#include <QStringList>

class QLineEdit;

// Reaches the settings window the way a person does: through the launcher's
// Ayarlar item and the window's own controls.
class SettingsWindow
{
public:
    // Starts the launcher on the working folder's list and presses Ayarlar.
    static void open();
    // Text box 1 to 18, found by its name; loads the window if needed.
    static QLineEdit *box(int number);
    // Every box's text, Text1 to Text18.
    static QStringList texts();
    // Clicks the push button with that name.
    static void press(const char *name);
};
