#include "startup.h"

#include "funzioni.h"

#include <QApplication>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace ruvento {

QString MissingDataFolderText()
{
    return u" Cartella "_s + DataFolderLiteral.toString() + u" non trovata ..! "_s;
}

bool Form_Initialize(const QString &applicationPath, MessageSeam &messages)
{
    if (Funzioni::FolderExists(DataFolder(applicationPath)))
        return true;
    messages.Show({MissingDataFolderText(), MessageIcon::Error});
    return false;
}

// The caller's application object runs the loop; taking it proves there is one.
int RunProgram(QApplication & /*app*/, const QString &applicationPath, MessageSeam &messages,
               const MainWindowFactory &createMainWindow)
{
    if (!Form_Initialize(applicationPath, messages))
        return 1;
    const std::unique_ptr<QWidget> window = createMainWindow();
    window->show();
    return QApplication::exec();
}

} // namespace ruvento
