// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the launcher's start-up: a bare Qt Widgets window with a
// menu bar of eleven items above one push button, at the launcher's place and
// size, and nothing else: no list to read, no custom controls.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Referans"));
    const char *const captions[] = { "Uçbirim",  "Hesap", "Dosyalar", "Not",     "Tarayıcı", "Sözlük",
                                     "Görevler", "Ev",    "Resimler", "Ayarlar", "Omrak" };
    for (const char *caption : captions)
        window.menuBar()->addAction(QString::fromUtf8(caption));
    auto *button = new QPushButton(QStringLiteral("Kapat"));
    window.setCentralWidget(button);
    QObject::connect(button, &QPushButton::clicked, &app, &QApplication::quit);
    window.setGeometry(88, 330, 72, 242);
    window.show();
    return app.exec();
}
