#include "frmamain.h"

using namespace Qt::StringLiterals;

namespace ruvento {

frmAmain::frmAmain(MessageSeam &messages, QWidget *parent)
    : QWidget(parent)
    , m_messages(messages)
{
    setObjectName(u"frmAmain"_s);
    setWindowTitle(u"  SVILUPPO TESTATE CICLICHE"_s);
}

} // namespace ruvento
