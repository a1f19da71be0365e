#include "frmamain.h"
#include "funzioni.h"
#include "messageboxseam.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ruvento::MessageBoxSeam messages;
    return ruvento::RunProgram(app, ruvento::ApplicationPath(), messages,
                               [&messages] { return std::make_unique<ruvento::frmAmain>(messages); });
}
