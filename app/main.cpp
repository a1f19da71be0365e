#include "appearance.h"
#include "frmamain.h"
#include "funzioni.h"
#include "messageboxseam.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ruvento::ApplyAppearance(app);
    ruvento::MessageBoxSeam messages;
    return ruvento::RunProgram(app, ruvento::ApplicationPath(), messages, [&messages] {
        auto window = std::make_unique<ruvento::frmAmain>(messages);
        // Messages of the window open over it.
        messages.setParent(window.get());
        return window;
    });
}
