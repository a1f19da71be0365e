#pragma once

#include "message.h"

#include <QString>

#include <vector>

namespace ruvento::testing {

struct RecordedMessage
{
    QString text;
    MessageIcon icon;
    QString caption;
};

// Keeps every message instead of showing it, so no test waits on a dialog.
class RecordingSeam final : public MessageSeam
{
public:
    void ShowMessage(const QString &text, MessageIcon icon, const QString &caption) override
    {
        messages.push_back({text, icon, caption});
    }
    std::vector<RecordedMessage> messages;
};

} // namespace ruvento::testing
