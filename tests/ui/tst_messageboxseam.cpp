// The one test that shows real message boxes: what the user sees through the
// window's seam. A timer answers each box, so the test never waits on a user.

#include "messageboxseam.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace ruvento;

class tst_MessageBoxSeam final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsAModalBoxWithOk_data();
    void showsAModalBoxWithOk();
};

void tst_MessageBoxSeam::showsAModalBoxWithOk_data()
{
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<QMessageBox::Icon>("shown");
    QTest::newRow("error") << MessageIcon::Error << QMessageBox::Critical;
    QTest::newRow("confirmation") << MessageIcon::None << QMessageBox::NoIcon;
}

void tst_MessageBoxSeam::showsAModalBoxWithOk()
{
    QFETCH(MessageIcon, icon);
    QFETCH(QMessageBox::Icon, shown);

    QWidget owner;
    owner.show();
    MessageBoxSeam seam(&owner);

    struct Seen
    {
        QString text, caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QWidget *parent = nullptr;
        bool modal = false;
        QMessageBox::StandardButtons buttons;
    } seen;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        answer.stop();
        seen = {box->text(),         box->windowTitle(), box->icon(),
                box->parentWidget(), box->isModal(),     box->standardButtons()};
        QTest::keyClick(box, Qt::Key_Return);
    });
    answer.start();
    // Gives up on a box that never came, rather than hanging.
    QTimer::singleShot(5000, &answer, [] {
        if (QWidget *stuck = QApplication::activeModalWidget())
            stuck->close();
    });

    seam.Show({u"Inserire almeno 3 numeri..! "_s, icon});

    QCOMPARE(seen.text, u"Inserire almeno 3 numeri..! "_s);
    QCOMPARE(seen.caption, u"Ruvento"_s);
    QCOMPARE(seen.icon, shown);
    QCOMPARE(seen.parent, &owner);
    QVERIFY(seen.modal);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(tst_MessageBoxSeam)
#include "tst_messageboxseam.moc"
