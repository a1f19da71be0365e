// Drives the window's three commands with arbitrary box texts and checks,
// after every step, what the user and the report files must be able to rely on.
//
// Input: lines separated by '\n', each one step, chosen by its first byte.
//   D<f1>|<f2>|...|<f12>  set the ten key boxes, txtNumeri and txtCombinazioni
//                         (missing fields are empty), then develop
//   L<f1>|...|<f12>       the same with the fields read as Latin-1
//   W<f1>|...|<f12>       the same with the fields read as UTF-16 (little
//                         endian), so a box can hold any 16-bit character
//   E                     develop again with the boxes as they stand
//   C                     clear
//   S<l><t1><t2><t3><d>   save; the bytes pick the locale, the time of day and
//                         the date of the report's time tag
//   X                     remove the data folder, or bring it back
// Other lines are ignored. With D the fields are read as UTF-8, invalid
// sequences included.

#include "commands.h"
#include "funzioni.h"
#include "report.h"
#include "variabili.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;
using namespace ruvento;

namespace {

// The fake application folder; the reports go to its Shared/Sistemi.
std::unique_ptr<QTemporaryDir> g_root;

QString applicationPath()
{
    return g_root->path();
}

QString dataFolder()
{
    return applicationPath() + u"/Shared/Sistemi/"_s;
}

[[noreturn]] void fail(int step, const char *what)
{
    std::fprintf(stderr, "fuzz_commands: step %d: %s\n", step, what);
    std::abort();
}

void check(bool condition, int step, const char *what)
{
    if (!condition)
        fail(step, what);
}

// A box as the develop command should see it: empty, a value, or refused.
struct BoxReading
{
    bool empty = true;
    std::optional<int> value;
};

BoxReading readBox(const QString &text)
{
    BoxReading reading;
    reading.empty = text.isEmpty();
    if (reading.empty || text.size() > 2)
        return reading;
    int value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return reading;
        value = value * 10 + (u - u'0');
    }
    reading.value = value;
    return reading;
}

// What the develop command must answer for these boxes: nothing when it has
// to develop, else the first refusal with its focus.
struct Refusal
{
    QStringView text;
    FocusBox focus;
    int chiaveIndex;
};

std::optional<Refusal> expectedRefusal(const InputTexts &input)
{
    const auto filled = std::count_if(input.txtChiave.begin(), input.txtChiave.end(),
                                      [](const QString &text) { return !text.isEmpty(); });
    if (filled < 3)
        return Refusal{DevelopMessages::TooFewKeys, FocusBox::Chiave, 1};
    for (int k = 1; k <= KeyBoxCount; ++k) {
        const BoxReading key = readBox(input.txtChiave[static_cast<std::size_t>(k - 1)]);
        if (!key.empty && !key.value)
            return Refusal{DevelopMessages::NotANumber, FocusBox::Chiave, k};
    }
    const BoxReading numeri = readBox(input.txtNumeri);
    if (numeri.empty)
        return Refusal{DevelopMessages::NoNumberMass, FocusBox::Numeri, 0};
    if (!numeri.value)
        return Refusal{DevelopMessages::NotANumber, FocusBox::Numeri, 0};
    const BoxReading combinazioni = readBox(input.txtCombinazioni);
    if (combinazioni.empty)
        return Refusal{DevelopMessages::NoCombinations, FocusBox::Combinazioni, 0};
    if (!combinazioni.value)
        return Refusal{DevelopMessages::NotANumber, FocusBox::Combinazioni, 0};
    if (*combinazioni.value > *numeri.value)
        return Refusal{DevelopMessages::AboveNumberMass, FocusBox::Combinazioni, 0};
    if (*combinazioni.value < 1)
        return Refusal{DevelopMessages::ZeroCombinations, FocusBox::Combinazioni, 0};
    return std::nullopt;
}

std::string twoDigits(int value)
{
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

// One table row as a report or result line: two digits each, single blanks.
std::string rowText(const Table &table, int row)
{
    std::string text;
    for (int k = 1; k <= table.columns(); ++k) {
        if (k > 1)
            text += ' ';
        text += twoDigits(table.at(row, k));
    }
    return text;
}

// A state whose counters name rows must be a whole development: the
// invariant every reader of the state relies on.
void checkDevelopment(const VARIABILI &state, int step)
{
    check(state.DevelopmentTable.has_value(), step, "counters without a table");
    const Table &table = *state.DevelopmentTable;
    const int n = state.NumberMass;
    check(state.KeyCount >= 3 && state.KeyCount <= KeyBoxCount, step, "KeyCount outside 3..10");
    check(state.TotalCombinations >= 1 && state.TotalCombinations <= n && n <= 99, step, "not 1 <= C <= N <= 99");
    check(table.rows() == state.TotalCombinations, step, "table rows differ from TotalCombinations");
    check(table.columns() == state.KeyCount, step, "table columns differ from KeyCount");

    std::vector<int> next;
    for (int r = 1; r <= table.rows(); ++r) {
        const int low = r == 1 ? 0 : 1;
        std::vector<int> row;
        for (int k = 1; k <= table.columns(); ++k) {
            const int cell = table.at(r, k);
            check(cell >= low && cell <= 99, step, r == 1 ? "row 1 outside 0..99" : "later row outside 1..99");
            check(k == 1 || table.at(r, k - 1) <= cell, step, "row not ascending");
            row.push_back(cell);
        }
        if (r > 1)
            check(row == next, step, "row does not follow the one before by the wrap rule");
        next.clear();
        for (const int cell : row)
            next.push_back(cell + 1 > n ? cell + 1 - n : cell + 1);
        std::sort(next.begin(), next.end());
    }
}

void develop(VARIABILI &state, const InputTexts &input, int step)
{
    const VARIABILI before = state;
    const std::optional<Refusal> refusal = expectedRefusal(input);
    const DevelopOutcome outcome = DevelopCommand(state, input);

    if (refusal) {
        check(!outcome.developed(), step, "developed what it should refuse");
        check(outcome.message->text == refusal->text && outcome.message->icon == MessageIcon::Error, step,
              "wrong refusal message");
        check(outcome.focus == refusal->focus && outcome.chiaveIndex == refusal->chiaveIndex, step,
              "wrong focus after a refusal");
        check(state == before, step, "failed develop changed the state");
        check(outcome.listText.isEmpty(), step, "failed develop left a result text");
        return;
    }

    check(outcome.developed(), step, "refused a valid development");
    checkDevelopment(state, step);

    // The base row is the filled boxes' values, in row 1 sorted.
    std::vector<int> base;
    for (const QString &text : input.txtChiave)
        if (!text.isEmpty())
            base.push_back(*readBox(text).value);
    std::sort(base.begin(), base.end());
    check(state.KeyCount == static_cast<int>(base.size()), step, "KeyCount is not the number of filled keys");
    check(state.NumberMass == *readBox(input.txtNumeri).value, step, "NumberMass is not the typed one");
    check(state.TotalCombinations == *readBox(input.txtCombinazioni).value, step,
          "TotalCombinations is not the typed one");
    for (int k = 1; k <= state.KeyCount; ++k)
        check(state.DevelopmentTable->at(1, k) == base[static_cast<std::size_t>(k - 1)], step,
              "row 1 is not the base row");

    std::string list;
    for (int r = 1; r <= state.TotalCombinations; ++r)
        list += rowText(*state.DevelopmentTable, r) + "\r\n";
    check(outcome.listText == QString::fromLatin1(list), step, "result text differs from the table");
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QLocale tagLocale(std::uint8_t pick)
{
    static const std::array<QLocale, 6> locales = {
        QLocale(QLocale::Italian, QLocale::Italy),  QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Greek, QLocale::Greece),
        QLocale(QLocale::Russian, QLocale::Russia), QLocale::c(),
    };
    return locales[pick % locales.size()];
}

void save(const VARIABILI &state, std::span<const std::uint8_t> args, int step)
{
    std::array<std::uint8_t, 5> a{};
    std::copy_n(args.begin(), std::min(args.size(), a.size()), a.begin());
    const QLocale locale = tagLocale(a[0]);
    const QTime time = QTime(0, 0).addSecs((a[1] << 16 | a[2] << 8 | a[3]) % 86400);
    const QDate date = QDate(2024, 1, 1).addDays(a[4]);
    const QString tag = Funzioni::ReportTimeTag(QDateTime(date, time), locale);
    check(tag == locale.dayName(date.dayOfWeek()).toUpper().left(3) + u'-' + time.toString(u"hhmmss"), step,
          "wrong time tag");

    const bool folderThere = QDir(dataFolder()).exists();
    const VARIABILI before = state;
    const Message message = SaveReport(state, applicationPath(), tag);
    check(state == before, step, "save changed the state");

    const QStringList entries = folderThere ? folderEntries(dataFolder()) : QStringList();
    if (state.TotalCombinations < 1) {
        check(message.text == ReportMessages::NothingToSave && message.icon == MessageIcon::Error, step,
              "wrong answer with nothing to save");
        check(entries.isEmpty(), step, "a file appeared with nothing to save");
        return;
    }
    checkDevelopment(state, step);
    if (!folderThere) {
        check(message.text == ReportMessages::NotSaved && message.icon == MessageIcon::Error, step,
              "save without a data folder not reported as failed");
        check(!QDir(dataFolder()).exists(), step, "save created the data folder");
        check(folderEntries(applicationPath() + u"/Shared"_s).isEmpty(), step, "save left a file behind");
        return;
    }
    check(message.text == ReportMessages::Saved && message.icon == MessageIcon::None, step,
          "a possible save was not confirmed");

    const QString name = u"[TC "_s + tag + u"]-"_s
        + QString::fromLatin1(twoDigits(state.NumberMass) + '-' + twoDigits(state.KeyCount) + "-C"
                              + twoDigits(state.TotalCombinations))
        + u".TXT"_s;
    check(entries == QStringList{name}, step, "the data folder does not hold exactly the named report");

    std::vector<std::string> lines;
    for (int r = 1; r <= state.TotalCombinations; ++r)
        lines.push_back(rowText(*state.DevelopmentTable, r));
    std::sort(lines.begin(), lines.end());
    std::string expected;
    for (const std::string &line : lines)
        expected += line + "\r\n";

    QFile file(dataFolder() + name);
    check(file.open(QIODevice::ReadOnly), step, "report cannot be read back");
    const QByteArray written = file.readAll();
    file.close();
    check(written.toStdString() == expected, step, "report bytes differ from the table");
    check(std::all_of(written.begin(), written.end(),
                      [](char c) { return (c >= '0' && c <= '9') || c == ' ' || c == '\r' || c == '\n'; }),
          step, "report holds other characters than digits and blanks");
    // Keep the folder empty, so every save is checked on its own.
    check(file.remove(), step, "report cannot be removed");
}

void toggleDataFolder(int step)
{
    QDir dir(dataFolder());
    if (dir.exists())
        check(QDir().rmdir(dataFolder()), step, "data folder cannot be removed");
    else
        check(QDir().mkpath(dataFolder()), step, "data folder cannot be made");
}

std::span<const std::uint8_t> nextLine(std::span<const std::uint8_t> &rest)
{
    const auto end = std::find(rest.begin(), rest.end(), std::uint8_t{'\n'});
    const auto length = static_cast<std::size_t>(end - rest.begin());
    const std::span<const std::uint8_t> line = rest.first(length);
    rest = rest.subspan(std::min(length + 1, rest.size()));
    return line;
}

enum class Encoding { Utf8, Latin1, Utf16 };

QString decode(std::span<const std::uint8_t> bytes, Encoding encoding)
{
    const auto *chars = reinterpret_cast<const char *>(bytes.data());
    const auto size = static_cast<qsizetype>(bytes.size());
    switch (encoding) {
    case Encoding::Latin1:
        return QString::fromLatin1(chars, size);
    case Encoding::Utf16: {
        QString text;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            text.append(QChar(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8)));
        return text;
    }
    case Encoding::Utf8:
        break;
    }
    return QString::fromUtf8(chars, size);
}

// The fields in box order: the ten key boxes, txtNumeri, txtCombinazioni.
void setBoxes(InputTexts &input, std::span<const std::uint8_t> fields, Encoding encoding)
{
    const auto nextField = [&fields, encoding] {
        const auto end = std::find(fields.begin(), fields.end(), std::uint8_t{'|'});
        const auto length = static_cast<std::size_t>(end - fields.begin());
        QString text = decode(fields.first(length), encoding);
        fields = fields.subspan(std::min(length + 1, fields.size()));
        return text;
    };
    for (QString &key : input.txtChiave)
        key = nextField();
    input.txtNumeri = nextField();
    input.txtCombinazioni = nextField();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
    g_root = std::make_unique<QTemporaryDir>();
    if (!g_root->isValid() || !QDir().mkpath(dataFolder())) {
        std::fprintf(stderr, "fuzz_commands: no temporary data folder\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Every input starts as the program does: zeroed state, empty boxes, an
    // empty data folder.
    if (!QDir(dataFolder()).exists() && !QDir().mkpath(dataFolder()))
        fail(0, "data folder cannot be made");
    check(folderEntries(dataFolder()).isEmpty(), 0, "data folder not empty at the start");
    VARIABILI state;
    InputTexts input;

    std::span<const std::uint8_t> rest(data, size);
    for (int step = 1; !rest.empty(); ++step) {
        const std::span<const std::uint8_t> line = nextLine(rest);
        if (line.empty())
            continue;
        const std::span<const std::uint8_t> args = line.subspan(1);
        switch (line[0]) {
        case 'D':
            setBoxes(input, args, Encoding::Utf8);
            develop(state, input, step);
            break;
        case 'L':
            setBoxes(input, args, Encoding::Latin1);
            develop(state, input, step);
            break;
        case 'W':
            setBoxes(input, args, Encoding::Utf16);
            develop(state, input, step);
            break;
        case 'E':
            develop(state, input, step);
            break;
        case 'C': {
            const VARIABILI before = state;
            ClearCommand(state);
            input = InputTexts{};
            check(state.NumberMass == 0 && state.TotalCombinations == 0, step, "clear left counters");
            check(state.KeyCount == before.KeyCount && state.DevelopmentTable == before.DevelopmentTable, step,
                  "clear touched KeyCount or the table");
            break;
        }
        case 'S':
            save(state, args, step);
            break;
        case 'X':
            toggleDataFolder(step);
            break;
        default:
            break;
        }
        if (state.TotalCombinations >= 1)
            checkDevelopment(state, step);
    }
    return 0;
}
