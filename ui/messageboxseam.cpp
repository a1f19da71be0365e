#include "messageboxseam.h"

#include <QMessageBox>

namespace ruvento {

void MessageBoxSeam::ShowMessage(const QString &text, MessageIcon icon, const QString &caption)
{
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption, text,
                    QMessageBox::Ok, m_parent);
    box.exec();
}

} // namespace ruvento
