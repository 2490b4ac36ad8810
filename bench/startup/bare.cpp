// SPDX-License-Identifier: GPL-3.0-or-later
// The least a Qt Widgets program can show: an empty main window of the size given.
//     bare_window <width> <height>

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(argc > 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 640,
                  argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 480);
    window.show();
    return QApplication::exec();
}
