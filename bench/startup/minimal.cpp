#include <QApplication>
#include <QWidget>

// The floor that the game's start-up is measured against: the least Qt needs to put one window on
// the screen, the same size as the game's start window so that the first paint costs the same.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.resize(580, 261);
    window.show();
    return QApplication::exec();
}
