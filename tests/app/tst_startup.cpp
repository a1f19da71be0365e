#include "recordingseam.h"
#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;
using namespace ruvento;
using namespace ruvento::testing;

class tst_Startup final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void messageTextIsTheSameEverywhere();
    void missingFolderEndsBeforeAnyWindow_data();
    void missingFolderEndsBeforeAnyWindow();
    void presentFolderShowsTheWindow();

private:
    std::unique_ptr<QTemporaryDir> m_app;
};

void tst_Startup::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid());
}

void tst_Startup::messageTextIsTheSameEverywhere()
{
    QCOMPARE(MissingDataFolderText(), u" Cartella \\Shared\\Sistemi\\ non trovata ..! "_s);
}

void tst_Startup::missingFolderEndsBeforeAnyWindow_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("Shared missing") << QString();
    QTest::newRow("Sistemi missing") << u"dir:Shared"_s;
    QTest::newRow("Sistemi a plain file") << u"file:Shared/Sistemi"_s;
}

void tst_Startup::missingFolderEndsBeforeAnyWindow()
{
    QFETCH(QString, layout);
    if (layout.startsWith(u"dir:"))
        QVERIFY(QDir(m_app->path()).mkpath(layout.mid(4)));
    if (layout.startsWith(u"file:")) {
        QVERIFY(QDir(m_app->path()).mkpath(u"Shared"_s));
        QFile file(m_app->filePath(layout.mid(5)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    RecordingSeam seam;
    int windowsCreated = 0;
    const int status = RunProgram(*qApp, QDir::toNativeSeparators(m_app->path()), seam, [&] {
        ++windowsCreated;
        return std::make_unique<QWidget>();
    });

    QCOMPARE(status, 1);
    QCOMPARE(windowsCreated, 0);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    QCOMPARE(seam.messages.size(), std::size_t(1));
    QCOMPARE(seam.messages[0].text, u" Cartella \\Shared\\Sistemi\\ non trovata ..! "_s);
    QCOMPARE(seam.messages[0].icon, MessageIcon::Error);
    QCOMPARE(seam.messages[0].caption, u"Ruvento"_s);
}

void tst_Startup::presentFolderShowsTheWindow()
{
    QVERIFY(QDir(m_app->path()).mkpath(u"Shared/Sistemi"_s));
    RecordingSeam seam;
    bool shown = false;
    const int status = RunProgram(*qApp, QDir::toNativeSeparators(m_app->path()), seam, [&] {
        auto window = std::make_unique<QWidget>();
        // Once the loop runs the window must be on screen; then close it.
        QTimer::singleShot(0, window.get(), [w = window.get(), &shown] {
            shown = w->isVisible();
            w->close();
            QCoreApplication::exit(0);
        });
        return window;
    });
    QCOMPARE(status, 0);
    QVERIFY(shown);
    QVERIFY(seam.messages.empty());
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
