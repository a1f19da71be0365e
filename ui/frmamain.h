#pragma once

#include "message.h"
#include "variabili.h"

#include <QWidget>

namespace ruvento {

// The one window of the program.
class frmAmain : public QWidget
{
    Q_OBJECT

public:
    explicit frmAmain(MessageSeam &messages, QWidget *parent = nullptr);

private:
    MessageSeam &m_messages;
    VARIABILI m_state;
};

} // namespace ruvento
