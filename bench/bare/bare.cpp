// The least a window of Ruvento's shape costs to start: the same size, title,
// style, font and background, and one control of each kind the window shows,
// each with text. The first text loads the system's fonts, a cost of the
// toolkit that every window with text pays, so it is part of this window too.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Open Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    QApplication::setFont(font);

    QWidget window;
    window.setWindowTitle(QStringLiteral("  SVILUPPO TESTATE CICLICHE"));
    window.setFixedSize(783, 408);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    auto *frame = new QGroupBox(QStringLiteral(" SVILUPPO "), &window);
    frame->setGeometry(10, 12, 439, 379);
    (new QLabel(QStringLiteral("Numeri in Gioco"), frame))->setGeometry(16, 115, 143, 17);
    (new QLineEdit(QStringLiteral("90"), frame))->setGeometry(176, 105, 33, 25);
    (new QPushButton(QStringLiteral("SVILUPPA TESTATA"), frame))->setGeometry(26, 178, 390, 29);
    (new QPlainTextEdit(QStringLiteral("01 06 48\n03 45 88\n"), &window))->setGeometry(460, 28, 295, 347);

    window.show();
    return QApplication::exec();
}
