#pragma once

// What every window test needs: a program folder of its own with an empty
// data folder, a window whose messages are recorded instead of shown, and a
// fixed report time tag.

#include "appearance.h"
#include "frmamain.h"
#include "recordingseam.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace ruvento::testing {

inline const QString FixedTimeTag = QStringLiteral("LUN-143005");

struct WindowFixture
{
    QTemporaryDir program;
    RecordingSeam seam;
    std::unique_ptr<frmAmain> window;

    // Builds, shows and activates a fresh window; false when that fails.
    bool open()
    {
        if (!program.isValid() || !QDir(program.path()).mkpath(QStringLiteral("Shared/Sistemi")))
            return false;
        window = std::make_unique<frmAmain>(seam, program.path(), [] { return FixedTimeTag; });
        window->show();
        return QTest::qWaitForWindowActive(window.get());
    }

    [[nodiscard]] QString dataFolder() const { return program.path() + QStringLiteral("/Shared/Sistemi/"); }
};

inline QString focusName()
{
    const QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

} // namespace ruvento::testing
