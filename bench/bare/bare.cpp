// What the toolkit alone costs to start: an empty window of the main
// window's size. With --label it also shows one line of text, the least a
// window with text costs: the first text loads the system's font set.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(783, 408);
    if (QCoreApplication::arguments().contains(QStringLiteral("--label")))
        new QLabel(QStringLiteral("SVILUPPO TESTATE CICLICHE"), &window);
    window.show();
    return QApplication::exec();
}
