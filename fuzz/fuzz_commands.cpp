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
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;
using namespace ruvento;

namespace {

// The fake application folder; the reports go to its Shared/Sistemi.
std::unique_ptr<QTemporaryDir> g_root;
QString g_applicationPath;
QString g_sharedFolder;
QString g_dataFolder;

const QString &applicationPath()
{
    return g_applicationPath;
}

const QString &sharedFolder()
{
    return g_sharedFolder;
}

const QString &dataFolder()
{
    return g_dataFolder;
}

// Every save syncs its report to disk, which on a disk costs more than the
// rest of a step together: the fake application folder lives in memory
// where the system offers a folder for it.
QString scratchFolder()
{
    const QFileInfo memory(u"/dev/shm"_s);
    return memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
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
void appendRow(std::string &text, const Table &table, int row)
{
    for (int k = 1; k <= table.columns(); ++k) {
        if (k > 1)
            text += ' ';
        const int cell = table.at(row, k);
        text += static_cast<char>('0' + cell / 10);
        text += static_cast<char>('0' + cell % 10);
    }
}

// A state whose counters name rows must be a whole development: the
// invariant every reader of the state relies on.
void checkDevelopment(const VARIABILI &state, int step)
{
    check(state.DevelopmentTable.has_value(), step, "counters without a table");
    const Table &table = state.DevelopmentTable.value();
    const int n = state.NumberMass;
    check(state.KeyCount >= 3 && state.KeyCount <= KeyBoxCount, step, "KeyCount outside 3..10");
    check(state.TotalCombinations >= 1 && state.TotalCombinations <= n && n <= 99, step, "not 1 <= C <= N <= 99");
    check(table.rows() == state.TotalCombinations, step, "table rows differ from TotalCombinations");
    check(table.columns() == state.KeyCount, step, "table columns differ from KeyCount");

    const auto columns = static_cast<std::size_t>(table.columns());
    std::vector<int> next(columns); // what the next row must hold, sorted
    for (int r = 1; r <= table.rows(); ++r) {
        const int low = r == 1 ? 0 : 1;
        const std::span<const qint16> row = table.row(r);
        for (std::size_t k = 0; k < columns; ++k) {
            const int cell = row[k];
            check(cell >= low && cell <= 99, step, r == 1 ? "row 1 outside 0..99" : "later row outside 1..99");
            check(k == 0 || row[k - 1] <= cell, step, "row not ascending");
            check(r == 1 || cell == next[k], step, "row does not follow the one before by the wrap rule");
            next[k] = cell + 1 > n ? cell + 1 - n : cell + 1;
        }
        std::ranges::sort(next);
    }
}

// The bytes a save of this development must write: its rows as lines,
// sorted as text, each ended by CR LF. Every cell has two digits (0..99,
// checked), so ordering the rows by their numbers orders the lines as text.
std::string reportBytes(const VARIABILI &state)
{
    const Table &table = state.DevelopmentTable.value();
    std::vector<int> rows(static_cast<std::size_t>(table.rows()));
    std::iota(rows.begin(), rows.end(), 1);
    std::ranges::sort(rows, [&table](int a, int b) {
        const std::span<const qint16> first = table.row(a);
        const std::span<const qint16> second = table.row(b);
        for (std::size_t k = 0; k < first.size(); ++k)
            if (first[k] != second[k])
                return first[k] < second[k];
        return false;
    });
    std::string bytes;
    bytes.reserve(rows.size() * (3 * KeyBoxCount + 1));
    for (const int r : rows) {
        appendRow(bytes, table, r);
        bytes += "\r\n";
    }
    return bytes;
}

// `report` holds what a save of the state must write, once worked out; a new
// development forgets it.
void develop(VARIABILI &state, const InputTexts &input, std::optional<std::string> &report, int step)
{
    const VARIABILI before = state;
    const std::optional<Refusal> refusal = expectedRefusal(input);
    const DevelopOutcome outcome = DevelopCommand(state, input);

    if (refusal) {
        check(!outcome.developed(), step, "developed what it should refuse");
        check(outcome.message.value().text == refusal->text && outcome.message.value().icon == MessageIcon::Error, step,
              "wrong refusal message");
        check(outcome.focus == refusal->focus && outcome.chiaveIndex == refusal->chiaveIndex, step,
              "wrong focus after a refusal");
        check(state == before, step, "failed develop changed the state");
        check(outcome.listText.isEmpty(), step, "failed develop left a result text");
        return;
    }

    check(outcome.developed(), step, "refused a valid development");
    checkDevelopment(state, step);
    report.reset();

    // The base row is the filled boxes' values, in row 1 sorted.
    std::vector<int> base;
    for (const QString &text : input.txtChiave)
        if (!text.isEmpty())
            base.push_back(readBox(text).value.value());
    std::ranges::sort(base);
    check(state.KeyCount == static_cast<int>(base.size()), step, "KeyCount is not the number of filled keys");
    check(state.NumberMass == readBox(input.txtNumeri).value.value(), step, "NumberMass is not the typed one");
    check(state.TotalCombinations == readBox(input.txtCombinazioni).value.value(), step,
          "TotalCombinations is not the typed one");
    for (int k = 1; k <= state.KeyCount; ++k)
        check(state.DevelopmentTable.value().at(1, k) == base[static_cast<std::size_t>(k - 1)], step,
              "row 1 is not the base row");

    std::string list;
    list.reserve(static_cast<std::size_t>(state.TotalCombinations) * (3 * KeyBoxCount + 1));
    for (int r = 1; r <= state.TotalCombinations; ++r) {
        appendRow(list, state.DevelopmentTable.value(), r);
        list += "\r\n";
    }
    check(outcome.listText == QLatin1String(list.data(), static_cast<qsizetype>(list.size())), step,
          "result text differs from the table");
}

constexpr std::size_t TagLocaleCount = 6;

const std::array<QLocale, TagLocaleCount> &tagLocales()
{
    static const std::array<QLocale, TagLocaleCount> locales = {
        QLocale(QLocale::Italian, QLocale::Italy),  QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Greek, QLocale::Greece),
        QLocale(QLocale::Russian, QLocale::Russia), QLocale::c(),
    };
    return locales;
}

// How the tag must begin: the first three characters of the day's full name
// in the locale, upper-cased. Worked out once for each locale and day.
const QString &dayPart(std::size_t locale, int dayOfWeek)
{
    static std::array<std::array<QString, 7>, TagLocaleCount> parts;
    QString &part = parts.at(locale).at(static_cast<std::size_t>(dayOfWeek - 1));
    if (part.isEmpty())
        part = tagLocales().at(locale).dayName(dayOfWeek).toUpper().left(3);
    return part;
}

void save(const VARIABILI &state, std::span<const std::uint8_t> args, bool folderThere,
          std::optional<std::string> &report, int step)
{
    std::array<std::uint8_t, 5> a{};
    std::copy_n(args.begin(), std::min(args.size(), a.size()), a.begin());
    const std::size_t locale = a[0] % TagLocaleCount;
    const QTime time = QTime(0, 0).addSecs((a[1] << 16 | a[2] << 8 | a[3]) % 86400);
    const QDate date = QDate(2024, 1, 1).addDays(a[4]);
    // In UTC, so that no zone's clock change can shift the time read back.
    const QString tag = Funzioni::ReportTimeTag(QDateTime(date, time, QTimeZone::utc()), tagLocales().at(locale));
    const QString &day = dayPart(locale, date.dayOfWeek());
    const std::string digits = twoDigits(time.hour()) + twoDigits(time.minute()) + twoDigits(time.second());
    const QStringView tagView(tag);
    check(tagView.size() == day.size() + 7 && tagView.first(day.size()) == day && tagView[day.size()] == u'-'
              && QLatin1String(digits.data(), 6) == tagView.sliced(day.size() + 1),
          step, "wrong time tag");

    const VARIABILI before = state; // NOLINT(performance-unnecessary-copy-initialization): to compare after
    const Message message = SaveReport(state, applicationPath(), tag);
    check(state == before, step, "save changed the state");

    if (state.TotalCombinations < 1) {
        check(message.text == ReportMessages::NothingToSave && message.icon == MessageIcon::Error, step,
              "wrong answer with nothing to save");
        return;
    }
    if (!folderThere) {
        check(message.text.startsWith(ReportMessages::NotSaved.chopped(4)) && message.icon == MessageIcon::Error, step,
              "save without a data folder not reported as failed");
        check(!QFileInfo::exists(dataFolder()), step, "save created the data folder");
        return;
    }
    check(message.text == ReportMessages::Saved && message.icon == MessageIcon::None, step,
          "a possible save was not confirmed");

    const QString name = u"[TC "_s + tag + u"]-"_s
        + QString::fromLatin1(twoDigits(state.NumberMass) + '-' + twoDigits(state.KeyCount) + "-C"
                              + twoDigits(state.TotalCombinations))
        + u".TXT"_s;

    // The state is the development it was when last checked whole (every
    // step since proved it unchanged), so its report is worked out only once.
    if (!report) {
        checkDevelopment(state, step);
        report = reportBytes(state);
    }

    QFile file(dataFolder() + name);
    check(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered), step, "the data folder lacks the named report");
    const QByteArray written = file.readAll();
    file.close();
    // The expected bytes are digits, blanks and line ends only, so the report
    // holds nothing else either.
    check(std::string_view(written.constData(), static_cast<std::size_t>(written.size())) == *report, step,
          "report bytes differ from the table");
    // Keep the folder empty, so every save is checked on its own.
    check(file.remove(), step, "report cannot be removed");
}

void toggleDataFolder(bool &folderThere, int step)
{
    const QDir dir;
    if (folderThere)
        check(dir.rmdir(dataFolder()), step, "data folder cannot be removed: a file was left in it");
    else
        check(dir.mkdir(dataFolder()), step, "data folder cannot be made");
    folderThere = !folderThere;
}

// Nothing but the reports checked and removed may ever appear, in the data
// folder or beside it, and nothing else removes a file: one look at the end
// of the input catches any stray file, more cheaply than after every save.
// Only an empty folder can be removed, and removing is cheaper than listing.
void checkNothingLeft(bool folderThere, int step)
{
    const QDir dir;
    check(!folderThere || dir.rmdir(dataFolder()), step, "a file was left in the data folder");
    check(dir.rmdir(sharedFolder()), step, "a file was left beside the data folder");
    if (!dir.mkdir(sharedFolder()) || !dir.mkdir(dataFolder()))
        fail(step, "data folder cannot be made");
}

std::span<const std::uint8_t> nextLine(std::span<const std::uint8_t> &rest)
{
    const auto end = std::ranges::find(rest, std::uint8_t{'\n'});
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
        const auto end = std::ranges::find(fields, std::uint8_t{'|'});
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
    g_root = std::make_unique<QTemporaryDir>(scratchFolder() + u"/fuzz_commands-XXXXXX"_s);
    g_applicationPath = g_root->path();
    g_sharedFolder = g_applicationPath + u"/Shared"_s;
    g_dataFolder = g_sharedFolder + u"/Sistemi/"_s;
    if (!g_root->isValid() || !QDir().mkpath(dataFolder())) {
        std::fprintf(stderr, "fuzz_commands: no temporary data folder\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Every input starts as the program does: zeroed state, empty boxes, an
    // empty data folder (the end of the input before left it so).
    VARIABILI state;
    InputTexts input;
    bool folderThere = true;
    std::optional<std::string> report;

    std::span<const std::uint8_t> rest(data, size);
    int step = 1;
    for (; !rest.empty(); ++step) {
        const std::span<const std::uint8_t> line = nextLine(rest);
        if (line.empty())
            continue;
        const std::span<const std::uint8_t> args = line.subspan(1);
        switch (line[0]) {
        case 'D':
            setBoxes(input, args, Encoding::Utf8);
            develop(state, input, report, step);
            break;
        case 'L':
            setBoxes(input, args, Encoding::Latin1);
            develop(state, input, report, step);
            break;
        case 'W':
            setBoxes(input, args, Encoding::Utf16);
            develop(state, input, report, step);
            break;
        case 'E':
            develop(state, input, report, step);
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
            save(state, args, folderThere, report, step);
            break;
        case 'X':
            toggleDataFolder(folderThere, step);
            break;
        default:
            break;
        }
        // No whole-state check here: every step above either proves the state
        // unchanged or checks the whole development it leaves.
    }
    checkNothingLeft(folderThere, step);
    return 0;
}
