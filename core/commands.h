#pragma once

#include "message.h"
#include "variabili.h"

#include <QString>

#include <array>
#include <optional>

namespace ruvento {

inline constexpr int KeyBoxCount = 10;

// The texts of the develop command's input boxes, as the window holds them.
struct InputTexts
{
    std::array<QString, KeyBoxCount> txtChiave; // key boxes 1..10 at [0..9]
    QString txtNumeri;
    QString txtCombinazioni;
};

// The box that takes the focus after a command's message.
enum class FocusBox { Unchanged, Chiave, Numeri, Combinazioni };

// The texts of the develop command's messages, in the order it checks.
namespace DevelopMessages {
inline constexpr QStringView TooFewKeys = u"Inserire almeno 3 numeri..! ";
inline constexpr QStringView NoNumberMass = u"Inserire il n.ro massimo..! ";
inline constexpr QStringView NoCombinations = u"Inserire totale combinazioni..! ";
inline constexpr QStringView AboveNumberMass = u"Non superare la Massa Numerica..! ";
inline constexpr QStringView NotANumber = u"Inserire solo numeri da 0 a 99..! ";
inline constexpr QStringView ZeroCombinations = u"Inserire almeno una combinazione..! ";
} // namespace DevelopMessages

struct DevelopOutcome
{
    // Set when the inputs were refused; the state is then as it was.
    std::optional<Message> message;
    FocusBox focus = FocusBox::Unchanged;
    int chiaveIndex = 0; // 1..10 when focus is FocusBox::Chiave
    // The new result box text after a successful development.
    QString listText;

    [[nodiscard]] bool developed() const { return !message.has_value(); }
};

// The value of a filled input box: one or two ASCII digits, else nothing.
[[nodiscard]] std::optional<qint16> ReadBox(const QString &text);

// The develop command without its window: checks the inputs in the order the
// user is told about them, develops, and commits counters and table together,
// only when the development succeeds.
[[nodiscard]] DevelopOutcome DevelopCommand(VARIABILI &state, const InputTexts &input);

// The clear command's part of the state: nothing left to save, the table kept.
void ClearCommand(VARIABILI &state);

} // namespace ruvento
