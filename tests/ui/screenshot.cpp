// Renders the window, as it looks after the typical use, into a PNG for the
// README:  ruvento_screenshot OUTPUT.png
// Run headless (QT_QPA_PLATFORM=offscreen) by the `screenshot` target.

#include "windowfixture.h"

#include <QLineEdit>
#include <QPushButton>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ruvento;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ruvento_screenshot OUTPUT.png\n");
        return 2;
    }
    ApplyAppearance(app);
    testing::WindowFixture fixture;
    if (!fixture.open())
        return 1;
    frmAmain &window = *fixture.window;
    window.txtChiave(1)->setText(u"88"_s);
    window.txtChiave(4)->setText(u"3"_s);
    window.txtChiave(7)->setText(u"45"_s);
    window.txtNumeri()->setText(u"90"_s);
    window.txtCombinazioni()->setText(u"4"_s);
    window.cmdElabora()->click();
    window.txtChiave(1)->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
