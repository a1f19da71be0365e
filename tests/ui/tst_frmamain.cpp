// The window driven as a user drives it: key clicks into the boxes, mouse
// clicks on the buttons, messages read off the seam, reports read off disk.

#include "commands.h"
#include "report.h"
#include "windowfixture.h"

#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace ruvento;
using namespace ruvento::testing;

namespace {

void pressEnter()
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// Types each character as its own key, so that characters QTest has no key
// for (other scripts' digits) arrive as typed text too.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        const bool ascii = c.unicode() < 0x80;
        const auto key = ascii ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_frmAmain final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void typicalUseEndToEnd();
    void refusals_data();
    void refusals();
    void refusedDevelopKeepsThePreviousTableForASave();
    void clearKeepsFocusAndTable();
    void saveFailureIsReported();
    void contextMenusAreItalian();

    void typedCharacterFilters_data();
    void typedCharacterFilters();
    void keysThatTypeNothingKeepTheirBehaviour();
    void enterMovesOnAndSelects();
    void enterInTheCountBoxesDoesNothing();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void focusSelectsTheWholeKeyByAnyRoute();
    void focusComingBackKeepsTheCursor();
    void pastedTextCannotBreakTheDigitsRule_data();
    void pastedTextCannotBreakTheDigitsRule();

private:
    void fill(const QList<int> &keyBoxes, const QStringList &keys, const QString &numeri, const QString &combinazioni);

    std::unique_ptr<WindowFixture> m_fixture;
    frmAmain *m_window = nullptr;
};

void tst_frmAmain::initTestCase()
{
    ApplyAppearance(*qApp);
}

void tst_frmAmain::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    QVERIFY(m_fixture->open());
    m_window = m_fixture->window.get();
}

void tst_frmAmain::cleanup()
{
    m_window = nullptr;
    m_fixture.reset();
}

void tst_frmAmain::fill(const QList<int> &keyBoxes, const QStringList &keys, const QString &numeri,
                        const QString &combinazioni)
{
    for (qsizetype i = 0; i < keyBoxes.size(); ++i)
        m_window->txtChiave(keyBoxes[i])->setText(keys[i]);
    m_window->txtNumeri()->setText(numeri);
    m_window->txtCombinazioni()->setText(combinazioni);
}

void tst_frmAmain::typicalUseEndToEnd()
{
    // 88, 3, 45 in key boxes 1, 4 and 7, moving on with Enter.
    QCOMPARE(focusName(), u"txtChiave(1)"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"88"_s);
    for (int i = 0; i < 3; ++i)
        pressEnter();
    QTest::keyClicks(QApplication::focusWidget(), u"3"_s);
    for (int i = 0; i < 3; ++i)
        pressEnter();
    QTest::keyClicks(QApplication::focusWidget(), u"45"_s);
    for (int i = 0; i < 4; ++i)
        pressEnter();
    QCOMPARE(focusName(), u"txtNumeri"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"90"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), u"4"_s);

    QTest::mouseClick(m_window->cmdElabora(), Qt::LeftButton);
    QVERIFY(m_fixture->seam.messages.empty());
    QCOMPARE(m_window->txtLista()->toPlainText(), u"03 45 88\n04 46 89\n05 47 90\n01 06 48\n"_s);
    QCOMPARE(focusName(), u"cmdElabora"_s);

    QTest::mouseClick(m_window->cmdSalvaReport(), Qt::LeftButton);
    QCOMPARE(m_fixture->seam.messages.size(), 1u);
    const RecordedMessage &saved = m_fixture->seam.messages.front();
    QCOMPARE(saved.text, u"Report salvato in Shared/Sistemi..! "_s);
    QCOMPARE(saved.icon, MessageIcon::None);
    QCOMPARE(saved.caption, u"Ruvento"_s);
    QCOMPARE(readFile(m_fixture->dataFolder() + u"[TC LUN-143005]-90-03-C04.TXT"_s),
             QByteArray("01 06 48\r\n03 45 88\r\n04 46 89\r\n05 47 90\r\n"));
}

void tst_frmAmain::refusals_data()
{
    QTest::addColumn<QList<int>>("boxes");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("numeri");
    QTest::addColumn<QString>("combinazioni");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    QTest::newRow("two keys") << QList<int>{4, 9} << QStringList{u"1"_s, u"2"_s} << u"90"_s << u"4"_s
                              << u"Inserire almeno 3 numeri..! "_s << u"txtChiave(1)"_s;
    QTest::newRow("no number mass, no combinations")
        << QList<int>{1, 2, 3} << QStringList{u"1"_s, u"2"_s, u"3"_s} << QString() << QString()
        << u"Inserire il n.ro massimo..! "_s << u"txtNumeri"_s;
    QTest::newRow("no combinations") << QList<int>{2, 5, 10} << QStringList{u"1"_s, u"2"_s, u"3"_s} << u"90"_s
                                     << QString() << u"Inserire totale combinazioni..! "_s << u"txtCombinazioni"_s;
    QTest::newRow("above the number mass")
        << QList<int>{1, 2, 3} << QStringList{u"1"_s, u"2"_s, u"3"_s} << u"20"_s << u"21"_s
        << u"Non superare la Massa Numerica..! "_s << u"txtCombinazioni"_s;
    QTest::newRow("zero combinations") << QList<int>{1, 2, 3} << QStringList{u"1"_s, u"2"_s, u"3"_s} << u"90"_s
                                       << u"00"_s << u"Inserire almeno una combinazione..! "_s << u"txtCombinazioni"_s;
    // Text set around the filters still has to be digits.
    QTest::newRow("key not a number") << QList<int>{1, 6, 8} << QStringList{u"1"_s, u"x"_s, u"3"_s} << u"90"_s << u"4"_s
                                      << u"Inserire solo numeri da 0 a 99..! "_s << u"txtChiave(6)"_s;
    QTest::newRow("number mass not a number") << QList<int>{1, 2, 3} << QStringList{u"1"_s, u"2"_s, u"3"_s} << u"9 "_s
                                              << u"4"_s << u"Inserire solo numeri da 0 a 99..! "_s << u"txtNumeri"_s;
}

void tst_frmAmain::refusals()
{
    QFETCH(QList<int>, boxes);
    QFETCH(QStringList, keys);
    QFETCH(QString, numeri);
    QFETCH(QString, combinazioni);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    fill(boxes, keys, numeri, combinazioni);
    m_window->txtLista()->setPlainText(u"an earlier list"_s);
    QTest::mouseClick(m_window->cmdElabora(), Qt::LeftButton);

    QCOMPARE(m_fixture->seam.messages.size(), 1u);
    QCOMPARE(m_fixture->seam.messages.front().text, message);
    QCOMPARE(m_fixture->seam.messages.front().icon, MessageIcon::Error);
    QCOMPARE(m_fixture->seam.messages.front().caption, u"Ruvento"_s);
    QCOMPARE(focusName(), focus);
    QVERIFY(m_window->txtLista()->toPlainText().isEmpty());
    QVERIFY(!m_window->state().DevelopmentTable);
}

void tst_frmAmain::refusedDevelopKeepsThePreviousTableForASave()
{
    fill({1, 2, 3}, {u"1"_s, u"31"_s, u"61"_s}, u"90"_s, u"2"_s);
    QTest::mouseClick(m_window->cmdElabora(), Qt::LeftButton);
    QVERIFY(m_fixture->seam.messages.empty());

    // A new, refused development: more rows than numbers.
    fill({4, 5}, {u"7"_s, u"8"_s}, u"10"_s, u"11"_s);
    QTest::mouseClick(m_window->cmdElabora(), Qt::LeftButton);
    QCOMPARE(m_fixture->seam.messages.back().text, u"Non superare la Massa Numerica..! "_s);
    QVERIFY(m_window->txtLista()->toPlainText().isEmpty());

    QTest::mouseClick(m_window->cmdSalvaReport(), Qt::LeftButton);
    QCOMPARE(m_fixture->seam.messages.back().text, u"Report salvato in Shared/Sistemi..! "_s);
    QCOMPARE(readFile(m_fixture->dataFolder() + u"[TC LUN-143005]-90-03-C02.TXT"_s),
             QByteArray("01 31 61\r\n02 32 62\r\n"));
}

void tst_frmAmain::clearKeepsFocusAndTable()
{
    fill({1, 2, 3}, {u"5"_s, u"6"_s, u"7"_s}, u"90"_s, u"3"_s);
    QTest::mouseClick(m_window->cmdElabora(), Qt::LeftButton);
    const std::optional<Table> table = m_window->state().DevelopmentTable;
    QVERIFY(table);

    m_window->txtCombinazioni()->setFocus(Qt::OtherFocusReason);
    m_window->cmdClearReport()->click();
    QCOMPARE(focusName(), u"txtCombinazioni"_s);
    for (int k = 1; k <= 10; ++k)
        QVERIFY(m_window->txtChiave(k)->text().isEmpty());
    QVERIFY(m_window->txtNumeri()->text().isEmpty());
    QVERIFY(m_window->txtCombinazioni()->text().isEmpty());
    QVERIFY(m_window->txtLista()->toPlainText().isEmpty());
    QCOMPARE(m_window->state().DevelopmentTable, table);
    QCOMPARE(m_window->state().KeyCount, 3);

    // Nothing left to save once cleared.
    QTest::mouseClick(m_window->cmdSalvaReport(), Qt::LeftButton);
    QCOMPARE(m_fixture->seam.messages.back().text, u"Nessuna combinazione ..! "_s);
    QCOMPARE(m_fixture->seam.messages.back().icon, MessageIcon::Error);
    QVERIFY(QDir(m_fixture->dataFolder()).isEmpty());
}

void tst_frmAmain::contextMenusAreItalian()
{
    // Qt's English texts, whatever the system's language, unless translated.
    const std::unique_ptr<QMenu> keyMenu(m_window->txtChiave(1)->createStandardContextMenu());
    const std::unique_ptr<QMenu> listMenu(m_window->txtLista()->createStandardContextMenu());
    const QStringList english{u"Undo"_s, u"Redo"_s, u"Cut"_s, u"Copy"_s, u"Paste"_s, u"Delete"_s, u"Select All"_s};
    // An action's text is its caption, a tab, then its shortcut.
    const auto caption = [](const QAction *action) { return action->text().section(u'\t', 0, 0); };
    for (const QMenu *menu : {keyMenu.get(), listMenu.get()}) {
        for (const QAction *action : menu->actions())
            QVERIFY2(!english.contains(caption(action).remove(u'&')), qPrintable(action->text()));
    }
    QCOMPARE(caption(keyMenu->actions().constFirst()), u"Ann&ulla"_s);
}

void tst_frmAmain::saveFailureIsReported()
{
    fill({1, 2, 3}, {u"5"_s, u"6"_s, u"7"_s}, u"90"_s, u"3"_s);
    QTest::mouseClick(m_window->cmdElabora(), Qt::LeftButton);
    QVERIFY(QDir(m_fixture->dataFolder()).removeRecursively());

    QTest::mouseClick(m_window->cmdSalvaReport(), Qt::LeftButton);
    QVERIFY(m_fixture->seam.messages.back().text.startsWith(u"Report non salvato in Shared/Sistemi: "_s));
    QCOMPARE(m_fixture->seam.messages.back().icon, MessageIcon::Error);
    // The window stays usable: the next develop works.
    QTest::mouseClick(m_window->cmdElabora(), Qt::LeftButton);
    QCOMPARE(m_fixture->seam.messages.size(), 1u);
    QVERIFY(!m_window->txtLista()->toPlainText().isEmpty());
}

void tst_frmAmain::typedCharacterFilters_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");

    const QStringList boxes = {u"txtChiave(1)"_s, u"txtChiave(10)"_s, u"txtNumeri"_s, u"txtCombinazioni"_s};
    for (const QString &box : boxes) {
        const QByteArray tag = box.toLatin1() + ": ";
        QTest::newRow(tag + "digits") << box << u"42"_s << u"42"_s;
        QTest::newRow(tag + "letters, blank, signs, separators") << box << u"a -+.,eZ"_s << QString();
        QTest::newRow(tag + "digits among others") << box << u"-7 x,3"_s << u"73"_s;
        QTest::newRow(tag + "a third digit") << box << u"123"_s << u"12"_s;
        QTest::newRow(tag + "other scripts' digits") << box << u"\u0663\uff15"_s << QString();
    }
}

void tst_frmAmain::typedCharacterFilters()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, kept);

    auto *edit = m_window->findChild<QLineEdit *>(box);
    edit->setFocus(Qt::OtherFocusReason);
    typeText(edit, typed);
    QCOMPARE(edit->text(), kept);

    // Backspace deletes as usual.
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), kept.chopped(qMin<qsizetype>(1, kept.size())));
}

void tst_frmAmain::keysThatTypeNothingKeepTheirBehaviour()
{
    QLineEdit *box = m_window->txtChiave(2);
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(box, u"45"_s);
    QTest::keyClick(box, Qt::Key_Home);
    QCOMPARE(box->cursorPosition(), 0);
    QTest::keyClick(box, Qt::Key_Right);
    QCOMPARE(box->cursorPosition(), 1);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->text(), u"4"_s);
    QTest::keyClick(box, Qt::Key_Left);
    QTest::keyClick(box, Qt::Key_End);
    QCOMPARE(box->cursorPosition(), 1);

    QTest::keyClicks(box, u"7"_s);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(box->selectedText(), u"47"_s);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"47"_s);

    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(focusName(), u"txtChiave(3)"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusName(), u"txtChiave(2)"_s);
}

void tst_frmAmain::enterMovesOnAndSelects()
{
    m_window->txtChiave(4)->setText(u"45"_s);
    m_window->txtChiave(3)->setFocus(Qt::OtherFocusReason);
    pressEnter();
    QCOMPARE(focusName(), u"txtChiave(4)"_s);
    QCOMPARE(m_window->txtChiave(4)->selectedText(), u"45"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"7"_s);
    QCOMPARE(m_window->txtChiave(4)->text(), u"7"_s);
    QVERIFY(m_window->txtChiave(3)->text().isEmpty());

    // Keys typed right after Enter, before the program has had a moment,
    // land in the next box.
    m_window->txtChiave(5)->setFocus(Qt::OtherFocusReason);
    for (const Qt::Key key : {Qt::Key_8, Qt::Key_8, Qt::Key_Return, Qt::Key_3})
        QTest::keyClick(QApplication::focusWidget(), key);
    QCOMPARE(m_window->txtChiave(6)->text(), u"3"_s);

    // One Enter moves exactly one box on, and the last key box goes on to
    // the number mass.
    m_window->txtChiave(10)->setFocus(Qt::OtherFocusReason);
    pressEnter();
    QCOMPARE(focusName(), u"txtNumeri"_s);
}

void tst_frmAmain::enterInTheCountBoxesDoesNothing()
{
    for (QLineEdit *box : {m_window->txtNumeri(), m_window->txtCombinazioni()}) {
        box->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(box, u"9"_s);
        pressEnter();
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->text(), u"9"_s);
    }
    QVERIFY(m_fixture->seam.messages.empty());
}

void tst_frmAmain::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::newRow("Return") << Qt::Key_Return << Qt::KeyboardModifiers{};
    QTest::newRow("keypad Enter") << Qt::Key_Enter << Qt::KeyboardModifiers{Qt::KeypadModifier};
}

void tst_frmAmain::enterPressesTheFocusedButton()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    fill({1, 4, 7}, {u"88"_s, u"3"_s, u"45"_s}, u"90"_s, u"4"_s);
    const auto press = [&](QPushButton *button) {
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, key, modifiers);
    };
    press(m_window->cmdElabora());
    QVERIFY(!m_window->txtLista()->toPlainText().isEmpty());
    press(m_window->cmdSalvaReport());
    QCOMPARE(m_fixture->seam.messages.back().text, u"Report salvato in Shared/Sistemi..! "_s);
    press(m_window->cmdClearReport());
    QVERIFY(m_window->txtLista()->toPlainText().isEmpty());
}

void tst_frmAmain::focusSelectsTheWholeKeyByAnyRoute()
{
    // By Tab.
    m_window->txtChiave(2)->setText(u"45"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(focusName(), u"txtChiave(2)"_s);
    QCOMPARE(m_window->txtChiave(2)->selectedText(), u"45"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"7"_s);
    QCOMPARE(m_window->txtChiave(2)->text(), u"7"_s);

    // By a mouse click, which places the cursor after the focus arrives.
    m_window->txtChiave(5)->setText(u"12"_s);
    QTest::mouseClick(m_window->txtChiave(5), Qt::LeftButton, {}, QPoint(4, 4));
    QCoreApplication::processEvents();
    QCOMPARE(m_window->txtChiave(5)->selectedText(), u"12"_s);

    // By the develop command's message about too few keys.
    m_window->txtChiave(2)->clear();
    m_window->txtChiave(1)->setText(u"33"_s);
    QTest::mouseClick(m_window->cmdElabora(), Qt::LeftButton);
    QCOMPARE(focusName(), u"txtChiave(1)"_s);
    QCOMPARE(m_window->txtChiave(1)->selectedText(), u"33"_s);
}

void tst_frmAmain::focusComingBackKeepsTheCursor()
{
    QLineEdit *box = m_window->txtChiave(3);
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(box, u"4"_s);
    // "Incolla" from the context menu pastes at the cursor, as Ctrl+V does.
    QGuiApplication::clipboard()->setText(u"5"_s);
    QTimer::singleShot(0, box, [] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *action : menu->actions())
            if (action->text().startsWith(u"&Incolla"_s))
                menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(4, 4), box->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(box, &menuKey);
    QTRY_COMPARE(box->text(), u"45"_s);

    // Another window activated, then this one again: the cursor stays where it was.
    box->setCursorPosition(1);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QCOMPARE(focusName(), u"txtChiave(3)"_s);
    QVERIFY(!box->hasSelectedText());
    QCOMPARE(box->cursorPosition(), 1);
}

void tst_frmAmain::pastedTextCannotBreakTheDigitsRule_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");

    QTest::newRow("letters") << QString() << u"ab"_s << QString();
    QTest::newRow("digit and letter") << QString() << u"7x"_s << QString();
    QTest::newRow("three digits") << QString() << u"123"_s << u"12"_s;
    QTest::newRow("digits") << QString() << u"07"_s << u"07"_s;
    QTest::newRow("a second digit") << u"4"_s << u"5"_s << u"45"_s;
    QTest::newRow("blank beside a digit") << u"4"_s << u" "_s << u"4"_s;
}

void tst_frmAmain::pastedTextCannotBreakTheDigitsRule()
{
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, after);

    QList<QLineEdit *> boxes{m_window->txtChiave(1), m_window->txtNumeri(), m_window->txtCombinazioni()};
    for (QLineEdit *box : boxes) {
        box->setText(before);
        box->setFocus(Qt::OtherFocusReason);
        box->end(false);
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), after);
    }
}

QTEST_MAIN(tst_frmAmain)
#include "tst_frmamain.moc"
