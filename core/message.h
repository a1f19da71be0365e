#pragma once

#include <QString>

namespace ruvento {

// The caption of every message box.
inline constexpr QStringView AppTitle = u"Ruvento";

enum class MessageIcon {
    None, // the one confirmation, after a saved report
    Error, // every other message
};

// What a command has to tell the user.
struct Message
{
    QString text;
    MessageIcon icon = MessageIcon::Error;

    friend bool operator==(const Message &, const Message &) = default;
};

// The one way a message reaches the user. The window shows a modal box;
// tests record the message instead, so nothing ever waits on a dialog.
class MessageSeam
{
public:
    virtual ~MessageSeam() = default;
    virtual void ShowMessage(const QString &text, MessageIcon icon, const QString &caption) = 0;

    void Show(const Message &message) { ShowMessage(message.text, message.icon, AppTitle.toString()); }
};

} // namespace ruvento
