// The window as the user sees it: every control in its place, in its font and
// colours, in the focus order, and every caption readable at its size.

#include "windowfixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>

using namespace Qt::StringLiterals;
using namespace ruvento;
using namespace ruvento::testing;

namespace {

QRect inTwips(const QRect &pixels)
{
    return {pixels.x() * 15, pixels.y() * 15, pixels.width() * 15, pixels.height() * 15};
}

QString captionOf(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QPushButton *>(widget))
        return button->text();
    if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
        return frame->title();
    if (const auto *box = qobject_cast<const QLineEdit *>(widget))
        return box->text();
    if (const auto *list = qobject_cast<const QPlainTextEdit *>(widget))
        return list->toPlainText();
    return {};
}

const QStringList FocusOrder = {
    u"txtChiave(1)"_s, u"txtChiave(2)"_s,  u"txtChiave(3)"_s,   u"txtChiave(4)"_s,
    u"txtChiave(5)"_s, u"txtChiave(6)"_s,  u"txtChiave(7)"_s,   u"txtChiave(8)"_s,
    u"txtChiave(9)"_s, u"txtChiave(10)"_s, u"txtNumeri"_s,      u"txtCombinazioni"_s,
    u"cmdElabora"_s,   u"txtLista"_s,      u"cmdSalvaReport"_s, u"cmdClearReport"_s,
};

// Asks Qt for a dark colour scheme, as a desktop in dark mode does; false
// where this Qt or its platform follows none.
bool requestDarkScheme()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QGuiApplication::styleHints()->setColorScheme(Qt::ColorScheme::Dark);
    QCoreApplication::processEvents();
    return QGuiApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark;
#else
    return false;
#endif
}

} // namespace

class tst_Layout final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void window();
    void controls_data();
    void controls();
    void colours_data();
    void colours();
    void boxes();
    void captionsFitTheirControls();
    void tabGoesRoundTheFocusOrder();

private:
    WindowFixture m_fixture;
    frmAmain *m_window = nullptr;
};

void tst_Layout::initTestCase()
{
    ApplyAppearance(*qApp);
    QVERIFY(m_fixture.open());
    m_window = m_fixture.window.get();
}

void tst_Layout::window()
{
    QCOMPARE(m_window->windowTitle(), u"  SVILUPPO TESTATE CICLICHE"_s);
    QCOMPARE(m_window->size(), QSize(783, 408));
    // Registered again at 200 %: that run must really draw at twice the scale.
    QCOMPARE(m_window->devicePixelRatioF(), qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_s).toDouble());
    // The user cannot resize it, and maximizing is switched off.
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(m_window->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(m_window->font().pointSizeF(), 8.25);
    QCOMPARE(m_window->font().families().value(0), u"Segoe UI"_s);
    QVERIFY(!m_window->windowIcon().isNull());
    QCOMPARE(m_window->windowIcon().pixmap(48, 48).size(), QSize(48, 48));

    // Centred with its frame, as far as the platform told the frame's size.
    const QRect screen = m_window->screen()->availableGeometry();
    const QPoint offset = m_window->frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 1 + (m_window->frameGeometry().width() - m_window->width()) / 2,
             qPrintable(QString::number(offset.x())));
    QVERIFY2(qAbs(offset.y()) <= 1 + (m_window->frameGeometry().height() - m_window->height()) / 2,
             qPrintable(QString::number(offset.y())));

    // The window's own controls, not the parts Qt builds inside the result box.
    qsizetype controls = 0;
    for (const QWidget *child : m_window->findChildren<QWidget *>())
        controls += !child->objectName().isEmpty() && !child->objectName().startsWith(u"qt_");
    QCOMPARE(controls, 26);
    QCOMPARE(focusName(), u"txtChiave(1)"_s);
}

void tst_Layout::controls_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<qreal>("points");

    const auto row = [](const char *name, const QString &container, const QString &caption, QRect twips, qreal points) {
        QTest::newRow(name) << container << caption << twips << points;
    };
    row("Frame2", u"frmAmain"_s, {}, {150, 180, 6585, 5685}, 8.25);
    row("Label1(2)", u"Frame2"_s, u"DIGITARE LA TESTATA"_s, {2430, 210, 2145, 255}, 8.25);
    row("Frame1(4)", u"Frame2"_s, {}, {180, 390, 6195, 855}, 8.25);
    row("Label1(0)", u"Frame2"_s, u"Numeri in Gioco"_s, {240, 1725, 2145, 255}, 8.25);
    row("txtNumeri", u"Frame2"_s, {}, {2640, 1575, 495, 375}, 12);
    row("Label1(1)", u"Frame2"_s, u"Combinazioni Totali"_s, {3360, 1725, 2145, 255}, 8.25);
    row("txtCombinazioni", u"Frame2"_s, {}, {5730, 1605, 495, 375}, 12);
    row("Frame1(1)", u"Frame2"_s, {}, {180, 2430, 6240, 765}, 8.25);
    row("cmdElabora", u"Frame1(1)"_s, u"SVILUPPA TESTATA"_s, {210, 240, 5850, 435}, 9);
    row("Frame3", u"Frame2"_s, u" SVILUPPO "_s, {4320, 3810, 1995, 1545}, 8.25);
    row("cmdClearReport", u"Frame3"_s, u"Cancella"_s, {240, 390, 1500, 435}, 9);
    row("cmdSalvaReport", u"Frame3"_s, u"SALVA"_s, {270, 930, 1500, 435}, 9);
    row("Image1", u"Frame2"_s, {}, {585, 4905, 2340, 240}, 8.25);
    row("Label1(3)", u"Frame2"_s, u"FREEWARE VERSION"_s, {675, 5220, 2145, 255}, 8.25);
    row("Frame1(2)", u"frmAmain"_s, {}, {6780, 180, 4785, 5685}, 8.25);
    row("txtLista", u"Frame1(2)"_s, {}, {120, 240, 4425, 5205}, 12);
    for (int k = 1; k <= 10; ++k) {
        const QByteArray name = "txtChiave(" + QByteArray::number(k) + ')';
        row(name.constData(), u"Frame1(4)"_s, {}, {120 + 600 * (k - 1), 270, 555, 480}, 14.25);
    }
}

void tst_Layout::controls()
{
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(qreal, points);

    const QWidget *control = m_window->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(inTwips(control->geometry()), twips);
    QCOMPARE(captionOf(control), caption);
    QCOMPARE(control->font().pointSizeF(), points);
    QCOMPARE(control->font().families().value(0), u"Segoe UI"_s);
    QCOMPARE(control->font().weight(), QFont::Normal);
    QVERIFY(!control->font().italic() && !control->font().underline() && !control->font().strikeOut());
    QVERIFY(control->isVisible() && control->isEnabled());
}

void tst_Layout::colours_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light desktop") << false;
    // Last: the tests after it run in the dark scheme too.
    QTest::newRow("dark desktop") << true;
}

void tst_Layout::colours()
{
    QFETCH(bool, dark);
    if (dark && !requestDarkScheme())
        QSKIP("this Qt or its platform follows no colour scheme");
    const QColor grey(192, 192, 192), ink(64, 64, 64), face(224, 224, 224);
    QCOMPARE(m_window->palette().color(QPalette::Window), grey);
    for (const QWidget *control : m_window->findChildren<QWidget *>()) {
        if (qobject_cast<const QGroupBox *>(control) || qobject_cast<const QLabel *>(control))
            QCOMPARE(control->palette().color(QPalette::Window), grey);
        if (qobject_cast<const QPushButton *>(control))
            QCOMPARE(control->palette().color(QPalette::Button), face);
    }
    for (const auto *label : m_window->findChildren<QLabel *>())
        if (label->objectName().startsWith(u"Label1"))
            QCOMPARE(label->palette().color(QPalette::WindowText), ink);
    QCOMPARE(m_window->findChild<QGroupBox *>(u"Frame3"_s)->palette().color(QPalette::WindowText), ink);

    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(m_window->txtChiave(k)->palette().color(QPalette::Base), QColor(234, 197, 100));
        QCOMPARE(m_window->txtChiave(k)->palette().color(QPalette::Text), ink);
    }
    const QPalette system = QApplication::palette();
    QCOMPARE(system.color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(system.color(QPalette::Text), QColor(Qt::black));
    QCOMPARE(system.color(QPalette::ButtonText), QColor(Qt::black));
    QCOMPARE(m_window->txtNumeri()->palette().color(QPalette::Text), QColor(24, 120, 137));
    QCOMPARE(m_window->txtCombinazioni()->palette().color(QPalette::Text), QColor(232, 111, 38));
    QCOMPARE(m_window->txtNumeri()->palette().color(QPalette::Base), system.color(QPalette::Base));
    QCOMPARE(m_window->txtCombinazioni()->palette().color(QPalette::Base), system.color(QPalette::Base));
    QCOMPARE(m_window->txtLista()->palette().color(QPalette::Base), system.color(QPalette::Base));
    QCOMPARE(m_window->txtLista()->palette().color(QPalette::Text), system.color(QPalette::Text));
}

void tst_Layout::boxes()
{
    QList<QLineEdit *> inputs{m_window->txtNumeri(), m_window->txtCombinazioni()};
    for (int k = 1; k <= 10; ++k)
        inputs.append(m_window->txtChiave(k));
    const QStringList names = {u"Numeri in gioco"_s, u"Combinazioni totali"_s};
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const QLineEdit *box = inputs[i];
        QCOMPARE(box->maxLength(), 2);
        QCOMPARE(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(box->text().isEmpty());
        QCOMPARE(box->accessibleName(), i < 2 ? names[i] : u"Chiave %1"_s.arg(i - 1));
    }
    const QPlainTextEdit *list = m_window->txtLista();
    QVERIFY(!list->isReadOnly());
    QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(list->accessibleName(), u"Lista combinazioni"_s);

    // 156 x 16 in the window at any scale; from a pixel ratio of 1.5, as in
    // the 200 % run, drawn from the rendition in twice the detail.
    const auto *image = m_window->findChild<QLabel *>(u"Image1"_s);
    const qreal ratio = m_window->devicePixelRatioF() >= 1.5 ? 2 : 1;
    QCOMPARE(image->pixmap().deviceIndependentSize(), QSizeF(156, 16));
    QCOMPARE(image->pixmap().size(), QSize(156, 16) * ratio);
    QCOMPARE(image->pixmap().devicePixelRatio(), ratio);
    QVERIFY(!image->hasScaledContents());

    const auto labelAlignment = [this](const QString &name) {
        return m_window->findChild<QLabel *>(name)->alignment() & Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(labelAlignment(u"Label1(0)"_s), Qt::AlignRight);
    QCOMPARE(labelAlignment(u"Label1(1)"_s), Qt::AlignRight);
    QCOMPARE(labelAlignment(u"Label1(2)"_s), Qt::AlignHCenter);
    QCOMPARE(labelAlignment(u"Label1(3)"_s), Qt::AlignHCenter);
}

void tst_Layout::captionsFitTheirControls()
{
    // Measured with the font the system really found, not the one asked for.
    for (const auto *label : m_window->findChildren<QLabel *>()) {
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(), qPrintable(label->objectName()));
        QVERIFY2(metrics.height() <= label->height(), qPrintable(label->objectName()));
    }
    for (const auto *button : m_window->findChildren<QPushButton *>()) {
        const QFontMetrics metrics(button->font());
        const int margin = 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        QVERIFY2(metrics.horizontalAdvance(button->text()) + margin <= button->width(),
                 qPrintable(button->objectName()));
    }
    const auto *frame = m_window->findChild<QGroupBox *>(u"Frame3"_s);
    QVERIFY(QFontMetrics(frame->font()).horizontalAdvance(frame->title()) + 12 <= frame->width());

    // The widest two-digit number, inside the box's frame and margins.
    QList<QLineEdit *> inputs{m_window->txtNumeri(), m_window->txtCombinazioni()};
    for (int k = 1; k <= 10; ++k)
        inputs.append(m_window->txtChiave(k));
    for (const QLineEdit *box : inputs) {
        const QFontMetrics metrics(box->font());
        const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
        const int inner = box->width() - 2 * frame - 2 * 2; // QLineEdit's own side margins
        int widest = 0;
        for (int a = 0; a <= 9; ++a)
            widest = qMax(widest, metrics.horizontalAdvance(QString::number(a * 11)));
        QVERIFY2(widest <= inner, qPrintable(box->objectName()));
        QVERIFY2(metrics.tightBoundingRect(u"88"_s).height() <= box->height() - 2 * frame,
                 qPrintable(box->objectName()));
    }
    // The longest row, ten numbers, without wrapping in the result box.
    const QPlainTextEdit *list = m_window->txtLista();
    QVERIFY(QFontMetrics(list->font()).horizontalAdvance(u"88 88 88 88 88 88 88 88 88 88"_s)
            < list->viewport()->width());
}

void tst_Layout::tabGoesRoundTheFocusOrder()
{
    m_window->txtChiave(1)->setFocus(Qt::OtherFocusReason);
    QCOMPARE(focusName(), FocusOrder.first());

    QStringList forward;
    for (qsizetype i = 0; i < FocusOrder.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << focusName();
    }
    QCOMPARE(forward, FocusOrder.mid(1) << FocusOrder.first());

    QStringList backward;
    for (qsizetype i = 0; i < FocusOrder.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backward << focusName();
    }
    QStringList expected(FocusOrder.crbegin(), FocusOrder.crend());
    QCOMPARE(backward, expected);
}

QTEST_MAIN(tst_Layout)
#include "tst_layout.moc"
