#pragma once

#include "message.h"

#include <QPointer>
#include <QWidget>

namespace ruvento {

// Messages as modal boxes with an OK button, over `parent` when there is one.
class MessageBoxSeam final : public MessageSeam
{
public:
    explicit MessageBoxSeam(QWidget *parent = nullptr)
        : m_parent(parent)
    { }

    void setParent(QWidget *parent) { m_parent = parent; }
    void ShowMessage(const QString &text, MessageIcon icon, const QString &caption) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace ruvento
