#include "frmamain.h"

#include "appearance.h"
#include "commands.h"
#include "digitsvalidator.h"
#include "report.h"

#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace ruvento {

namespace {

// The window is measured in twips; 15 twips make one device-independent pixel.
constexpr int TwipsPerPixel = 15;
constexpr int ClientWidth = 11745;
constexpr int ClientHeight = 6120;

enum class Kind { Frame, Label, Image, KeyBox, CountBox, ListBox, Button };

// A colour as red, green, blue, or the system's own.
struct Colour
{
    int red = -1, green = -1, blue = -1;
    [[nodiscard]] constexpr bool isSystem() const { return red < 0; }
    [[nodiscard]] QColor toQColor() const { return {red, green, blue}; }
};
constexpr Colour System{};
constexpr Colour Grey{192, 192, 192};
constexpr Colour Ink{64, 64, 64};
constexpr Colour ButtonFace{224, 224, 224};
constexpr Colour KeyYellow{234, 197, 100};
constexpr Colour NumberTeal{24, 120, 137};
constexpr Colour CombinationOrange{232, 111, 38};

// Point sizes; WindowFont is the window's own font, which frames and labels use.
constexpr qreal WindowFont = WindowFontPoints;
constexpr qreal ButtonFont = 9;
constexpr qreal CountFont = 12;
constexpr qreal KeyFont = 14.25;

constexpr Qt::Alignment Centre = Qt::AlignHCenter;
constexpr Qt::Alignment Right = Qt::AlignRight;
constexpr Qt::Alignment Left = Qt::AlignLeft;

constexpr int NoTab = -1;

struct ControlRow
{
    QStringView name;
    Kind kind;
    QStringView container;
    QStringView caption;
    int left, top, width, height; // twips, from the container's outer corner
    int tabIndex;
    qreal points;
    Colour back, fore;
    Qt::Alignment align;
};

// Every control of the window, container by container, top to bottom.
// For Image1 the caption column names its picture among the resources.
// clang-format off
constexpr ControlRow Layout[] = {
//   name                 kind            container       caption                 left  top   width height tab  font        back        fore               align
    {u"Frame2",           Kind::Frame,    u"frmAmain",    u"",                     150,  180, 6585, 5685, 15, WindowFont, Grey,       Ink,               Left},
    {u"Label1(2)",        Kind::Label,    u"Frame2",      u"DIGITARE LA TESTATA", 2430,  210, 2145,  255, 23, WindowFont, Grey,       Ink,               Centre},
    {u"Frame1(4)",        Kind::Frame,    u"Frame2",      u"",                     180,  390, 6195,  855, 17, WindowFont, Grey,       Ink,               Left},
    {u"txtChiave(1)",     Kind::KeyBox,   u"Frame1(4)",   u"",                     120,  270,  555,  480,  0, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(2)",     Kind::KeyBox,   u"Frame1(4)",   u"",                     720,  270,  555,  480,  1, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(3)",     Kind::KeyBox,   u"Frame1(4)",   u"",                    1320,  270,  555,  480,  2, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(4)",     Kind::KeyBox,   u"Frame1(4)",   u"",                    1920,  270,  555,  480,  3, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(5)",     Kind::KeyBox,   u"Frame1(4)",   u"",                    2520,  270,  555,  480,  4, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(6)",     Kind::KeyBox,   u"Frame1(4)",   u"",                    3120,  270,  555,  480,  5, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(7)",     Kind::KeyBox,   u"Frame1(4)",   u"",                    3720,  270,  555,  480,  6, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(8)",     Kind::KeyBox,   u"Frame1(4)",   u"",                    4320,  270,  555,  480,  7, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(9)",     Kind::KeyBox,   u"Frame1(4)",   u"",                    4920,  270,  555,  480,  8, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"txtChiave(10)",    Kind::KeyBox,   u"Frame1(4)",   u"",                    5520,  270,  555,  480,  9, KeyFont,    KeyYellow,  Ink,               Centre},
    {u"Label1(0)",        Kind::Label,    u"Frame2",      u"Numeri in Gioco",      240, 1725, 2145,  255, 19, WindowFont, Grey,       Ink,               Right},
    {u"txtNumeri",        Kind::CountBox, u"Frame2",      u"",                    2640, 1575,  495,  375, 10, CountFont,  System,     NumberTeal,        Centre},
    {u"Label1(1)",        Kind::Label,    u"Frame2",      u"Combinazioni Totali", 3360, 1725, 2145,  255, 18, WindowFont, Grey,       Ink,               Right},
    {u"txtCombinazioni",  Kind::CountBox, u"Frame2",      u"",                    5730, 1605,  495,  375, 11, CountFont,  System,     CombinationOrange, Centre},
    {u"Frame1(1)",        Kind::Frame,    u"Frame2",      u"",                     180, 2430, 6240,  765, 16, WindowFont, Grey,       Ink,               Left},
    {u"cmdElabora",       Kind::Button,   u"Frame1(1)",   u"SVILUPPA TESTATA",     210,  240, 5850,  435, 12, ButtonFont, ButtonFace, System,            Centre},
    {u"Frame3",           Kind::Frame,    u"Frame2",      u" SVILUPPO ",          4320, 3810, 1995, 1545, 20, WindowFont, Grey,       Ink,               Left},
    {u"cmdClearReport",   Kind::Button,   u"Frame3",      u"Cancella",             240,  390, 1500,  435, 22, ButtonFont, ButtonFace, System,            Centre},
    {u"cmdSalvaReport",   Kind::Button,   u"Frame3",      u"SALVA",                270,  930, 1500,  435, 21, ButtonFont, ButtonFace, System,            Centre},
    {u"Image1",           Kind::Image,    u"Frame2",      u":/image1.jpg",         585, 4905, 2340,  240, NoTab, WindowFont, Grey,       System,            Left},
    {u"Label1(3)",        Kind::Label,    u"Frame2",      u"FREEWARE VERSION",     675, 5220, 2145,  255, 24, WindowFont, Grey,       Ink,               Centre},
    {u"Frame1(2)",        Kind::Frame,    u"frmAmain",    u"",                    6780,  180, 4785, 5685, 14, WindowFont, Grey,       Ink,               Left},
    {u"txtLista",         Kind::ListBox,  u"Frame1(2)",   u"",                     120,  240, 4425, 5205, 13, CountFont,  System,     System,            Left},
};
// clang-format on

constexpr int KeyAsciiBackspace = 8;
constexpr int KeyAsciiEnter = 13;

QRect pixels(const ControlRow &row)
{
    return {row.left / TwipsPerPixel, row.top / TwipsPerPixel, row.width / TwipsPerPixel, row.height / TwipsPerPixel};
}

void paint(QWidget &widget, const ControlRow &row)
{
    QPalette palette = widget.palette();
    if (!row.back.isSystem()) {
        const QPalette::ColorRole role = row.kind == Kind::KeyBox ? QPalette::Base
            : row.kind == Kind::Button                            ? QPalette::Button
                                                                  : QPalette::Window;
        palette.setColor(role, row.back.toQColor());
    }
    if (!row.fore.isSystem()) {
        const bool box = row.kind == Kind::KeyBox || row.kind == Kind::CountBox;
        palette.setColor(box ? QPalette::Text : QPalette::WindowText, row.fore.toQColor());
    }
    widget.setPalette(palette);
}

// The code of the character a key types, or 0 when it types none (arrows,
// Delete, Tab, shortcuts such as Ctrl+C), which keep their usual behaviour.
int typedCharacter(const QKeyEvent &event)
{
    if (event.key() == Qt::Key_Backspace)
        return KeyAsciiBackspace;
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return KeyAsciiEnter;
    // Shortcuts such as Ctrl+A or Ctrl+V type nothing, whatever text they carry.
    if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return 0;
    const QString text = event.text();
    if (text.isEmpty())
        return 0;
    const char32_t code = text.toUcs4().value(0);
    if (QChar::category(code) == QChar::Other_Control)
        return 0;
    return static_cast<int>(code);
}

int digitsAndBackspace(int keyAscii)
{
    const bool digit = keyAscii >= '0' && keyAscii <= '9';
    return digit || keyAscii == KeyAsciiBackspace ? keyAscii : 0;
}

// A picture in the detail its screen shows: by Qt's "@2x" file-name rule, the
// rendition nearest the screen's device pixel ratio, so the "@2x" one from
// 1.5 on. The image reader gives a picture the ratio its name states, so
// every rendition takes the same room in the window.
QPixmap pictureFor(const QString &name, qreal devicePixelRatio)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    for (int ratio = qRound(devicePixelRatio); ratio >= 2; --ratio) {
        const QString rendition = name.first(dot) + u'@' + QString::number(ratio) + u'x' + name.sliced(dot);
        if (QFile::exists(rendition))
            return {rendition};
    }
    return {name};
}

} // namespace

frmAmain::frmAmain(MessageSeam &messages, QString applicationPath, TimeTagSource timeTag, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                  | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_messages(messages)
    , m_applicationPath(std::move(applicationPath))
    , m_timeTag(std::move(timeTag))
{
    setObjectName(u"frmAmain"_s);
    setWindowTitle(u"  SVILUPPO TESTATE CICLICHE"_s);
    setFont(RuventoFont(WindowFont));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Grey.toQColor());
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(ClientWidth / TwipsPerPixel, ClientHeight / TwipsPerPixel);

    buildControls();

    connect(m_cmdElabora, &QPushButton::clicked, this, &frmAmain::cmdElabora_Click);
    connect(m_cmdClearReport, &QPushButton::clicked, this, &frmAmain::cmdClearReport_Click);
    connect(m_cmdSalvaReport, &QPushButton::clicked, this, &frmAmain::cmdSalvaReport_Click);

    txtChiave(1)->setFocus(Qt::OtherFocusReason);
}

void frmAmain::buildControls()
{
    QHash<QStringView, QWidget *> containers{{u"frmAmain", this}};
    std::vector<std::pair<int, QWidget *>> tabStops;

    for (const ControlRow &row : Layout) {
        QWidget *container = containers.value(row.container);
        Q_ASSERT(container);
        QWidget *widget = nullptr;
        switch (row.kind) {
        case Kind::Frame: {
            auto *frame = new QGroupBox(row.caption.toString(), container);
            containers.insert(row.name, frame);
            widget = frame;
            break;
        }
        case Kind::Label: {
            auto *label = new QLabel(row.caption.toString(), container);
            label->setAlignment(row.align | Qt::AlignTop);
            label->setAutoFillBackground(true);
            widget = label;
            break;
        }
        case Kind::Image: {
            // Shown at its natural size, in the top-left corner of its place;
            // its picture comes with the screen the window is shown on.
            auto *image = new QLabel(container);
            image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = image;
            break;
        }
        case Kind::KeyBox:
        case Kind::CountBox: {
            auto *box = new QLineEdit(container);
            box->setMaxLength(2);
            box->setAlignment(row.align);
            // Pasted or dropped text gets the same digits-only rule as typing.
            box->setValidator(new DigitsValidator(box));
            box->installEventFilter(this);
            widget = box;
            break;
        }
        case Kind::ListBox: {
            auto *list = new QPlainTextEdit(container);
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            // Tab moves on, as in every other box of the window.
            list->setTabChangesFocus(true);
            m_txtLista = list;
            widget = list;
            break;
        }
        case Kind::Button: {
            auto *button = new QPushButton(row.caption.toString(), container);
            // Enter presses the focused button, as Space does and as on every
            // Windows form; Qt does so by itself inside dialogs alone.
            button->setAutoDefault(true);
            widget = button;
            break;
        }
        }
        widget->setObjectName(row.name.toString());
        widget->setGeometry(pixels(row));
        widget->setFont(RuventoFont(row.points));
        paint(*widget, row);
        if (widget->focusPolicy() != Qt::NoFocus)
            tabStops.emplace_back(row.tabIndex, widget);
    }

    for (int k = 1; k <= KeyBoxCount; ++k)
        m_txtChiave[static_cast<std::size_t>(k - 1)] = findChild<QLineEdit *>(u"txtChiave(%1)"_s.arg(k));
    m_txtNumeri = findChild<QLineEdit *>(u"txtNumeri"_s);
    m_txtCombinazioni = findChild<QLineEdit *>(u"txtCombinazioni"_s);
    m_cmdElabora = findChild<QPushButton *>(u"cmdElabora"_s);
    m_cmdClearReport = findChild<QPushButton *>(u"cmdClearReport"_s);
    m_cmdSalvaReport = findChild<QPushButton *>(u"cmdSalvaReport"_s);

    for (int k = 1; k <= KeyBoxCount; ++k)
        txtChiave(k)->setAccessibleName(u"Chiave %1"_s.arg(k));
    m_txtNumeri->setAccessibleName(u"Numeri in gioco"_s);
    m_txtCombinazioni->setAccessibleName(u"Combinazioni totali"_s);
    m_txtLista->setAccessibleName(u"Lista combinazioni"_s);

    // Focus follows the tab indexes; the frames and labels never take it.
    std::ranges::sort(tabStops, [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabStops.size(); ++i)
        setTabOrder(tabStops[i - 1].second, tabStops[i].second);
}

void frmAmain::showPictures()
{
    for (const ControlRow &row : Layout)
        if (row.kind == Kind::Image)
            findChild<QLabel *>(row.name.toString())
                ->setPixmap(pictureFor(row.caption.toString(), devicePixelRatioF()));
}

void frmAmain::showEvent(QShowEvent *event)
{
    // The window has its screen from here on, and takes its pictures to any
    // other screen it moves to.
    connect(windowHandle(), &QWindow::screenChanged, this, &frmAmain::showPictures, Qt::UniqueConnection);
    if (!m_placed) {
        // Placed once, before it appears; where the user moves it later, it stays.
        placeOnScreen();
        m_placed = true;
    }
    showPictures();
    QWidget::showEvent(event);
}

void frmAmain::placeOnScreen()
{
    // The whole window centred, title bar and borders included, on the screen
    // it opens on: the platform knows the frame once the window exists, and
    // a window's position is its frame's.
    const QWindow *window = windowHandle();
    const QSize outer = size().grownBy(window->frameMargins());
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, outer, window->screen()->availableGeometry()).topLeft());
}

QLineEdit *frmAmain::txtChiave(int index) const
{
    Q_ASSERT(index >= 1 && index <= KeyBoxCount);
    return m_txtChiave[static_cast<std::size_t>(index - 1)];
}

int frmAmain::chiaveIndexOf(const QObject *object) const
{
    const auto *const found = std::ranges::find(m_txtChiave, object);
    return found == m_txtChiave.end() ? 0 : static_cast<int>(found - m_txtChiave.begin()) + 1;
}

bool frmAmain::eventFilter(QObject *watched, QEvent *event)
{
    const int index = chiaveIndexOf(watched);
    if (event->type() == QEvent::KeyPress) {
        int KeyAscii = typedCharacter(*static_cast<QKeyEvent *>(event));
        if (KeyAscii == 0)
            return false;
        if (watched == m_txtNumeri)
            txtNumeri_KeyPress(KeyAscii);
        else if (watched == m_txtCombinazioni)
            txtCombinazioni_KeyPress(KeyAscii);
        else if (index != 0)
            txtChiave_KeyPress(index, KeyAscii);
        return KeyAscii == 0;
    }
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && index != 0) {
        const auto &focus = *static_cast<const QFocusEvent *>(event);
        // A context menu, or another window, takes the focus for a while and
        // gives it back: that is no focus moving to the box, and its
        // selection stays as the user left it, so that "Incolla" pastes at
        // the cursor as Ctrl+V does.
        const bool forAWhile = focus.reason() == Qt::PopupFocusReason || focus.reason() == Qt::ActiveWindowFocusReason;
        if (event->type() == QEvent::FocusOut) {
            m_focusLentBy = forAWhile ? index : 0;
        } else if (std::exchange(m_focusLentBy, 0) != index || !forAWhile) {
            txtChiave_GotFocus(index);
            // A click places the cursor after the focus arrives; select once it has.
            if (focus.reason() == Qt::MouseFocusReason) {
                const auto select = [this, index] { txtChiave_GotFocus(index); };
                QMetaObject::invokeMethod(this, select, Qt::QueuedConnection);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmAmain::txtNumeri_KeyPress(int &KeyAscii)
{
    KeyAscii = digitsAndBackspace(KeyAscii);
}

void frmAmain::txtCombinazioni_KeyPress(int &KeyAscii)
{
    KeyAscii = digitsAndBackspace(KeyAscii);
}

void frmAmain::txtChiave_KeyPress(int Index, int &KeyAscii)
{
    if (KeyAscii == KeyAsciiEnter) {
        // The Tab goes at once, as a Tab typed next, ahead of whatever the user
        // types after Enter: a posted one waits on Windows until the keys
        // already typed are handled, and those would land in this box.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(txtChiave(Index), &tab);
        return;
    }
    KeyAscii = digitsAndBackspace(KeyAscii);
}

void frmAmain::txtChiave_GotFocus(int Index)
{
    QLineEdit *box = txtChiave(Index);
    box->setSelection(0, static_cast<int>(box->text().size()));
}

void frmAmain::cmdElabora_Click()
{
    InputTexts input;
    for (int k = 1; k <= KeyBoxCount; ++k)
        input.txtChiave[static_cast<std::size_t>(k - 1)] = txtChiave(k)->text();
    input.txtNumeri = m_txtNumeri->text();
    input.txtCombinazioni = m_txtCombinazioni->text();

    m_txtLista->clear();
    const DevelopOutcome outcome = DevelopCommand(m_state, input);
    if (outcome.developed()) {
        m_txtLista->setPlainText(outcome.listText);
        return;
    }
    m_messages.Show(outcome.message.value());
    switch (outcome.focus) {
    case FocusBox::Chiave:
        txtChiave(outcome.chiaveIndex)->setFocus(Qt::OtherFocusReason);
        break;
    case FocusBox::Numeri:
        m_txtNumeri->setFocus(Qt::OtherFocusReason);
        break;
    case FocusBox::Combinazioni:
        m_txtCombinazioni->setFocus(Qt::OtherFocusReason);
        break;
    case FocusBox::Unchanged:
        break;
    }
}

void frmAmain::cmdClearReport_Click()
{
    ClearCommand(m_state);
    for (QLineEdit *box : m_txtChiave)
        box->clear();
    m_txtNumeri->clear();
    m_txtCombinazioni->clear();
    m_txtLista->clear();
}

void frmAmain::cmdSalvaReport_Click()
{
    m_messages.Show(SaveReport(m_state, m_applicationPath, m_timeTag()));
}

} // namespace ruvento
