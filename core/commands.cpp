#include "commands.h"

#include "development.h"

#include <vector>

namespace ruvento {

namespace {

DevelopOutcome refuse(QStringView text, FocusBox focus, int chiaveIndex = 0)
{
    DevelopOutcome outcome;
    outcome.message = Message{text.toString(), MessageIcon::Error};
    outcome.focus = focus;
    outcome.chiaveIndex = chiaveIndex;
    return outcome;
}

} // namespace

std::optional<qint16> ReadBox(const QString &text)
{
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    qint16 value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = static_cast<qint16>(value * 10 + (c.unicode() - u'0'));
    }
    return value;
}

DevelopOutcome DevelopCommand(VARIABILI &state, const InputTexts &input)
{
    int keyCount = 0;
    for (const QString &text : input.txtChiave)
        if (!text.isEmpty())
            ++keyCount;
    if (keyCount < 3)
        return refuse(DevelopMessages::TooFewKeys, FocusBox::Chiave, 1);

    // Pasted or dropped text could hold anything; typed text never fails here.
    std::vector<qint16> baseRow;
    baseRow.reserve(static_cast<std::size_t>(keyCount));
    for (int k = 1; k <= KeyBoxCount; ++k) {
        const QString &text = input.txtChiave[static_cast<std::size_t>(k - 1)];
        if (text.isEmpty())
            continue;
        const std::optional<qint16> value = ReadBox(text);
        if (!value)
            return refuse(DevelopMessages::NotANumber, FocusBox::Chiave, k);
        baseRow.push_back(*value);
    }

    if (input.txtNumeri.isEmpty())
        return refuse(DevelopMessages::NoNumberMass, FocusBox::Numeri);
    const std::optional<qint16> numberMass = ReadBox(input.txtNumeri);
    if (!numberMass)
        return refuse(DevelopMessages::NotANumber, FocusBox::Numeri);

    if (input.txtCombinazioni.isEmpty())
        return refuse(DevelopMessages::NoCombinations, FocusBox::Combinazioni);
    const std::optional<qint16> totalCombinations = ReadBox(input.txtCombinazioni);
    if (!totalCombinations)
        return refuse(DevelopMessages::NotANumber, FocusBox::Combinazioni);

    if (*totalCombinations > *numberMass)
        return refuse(DevelopMessages::AboveNumberMass, FocusBox::Combinazioni);
    // Zero rows would leave nothing to develop, show or save.
    if (*totalCombinations < 1)
        return refuse(DevelopMessages::ZeroCombinations, FocusBox::Combinazioni);

    state.DevelopmentTable = DevelopTable(baseRow, *numberMass, *totalCombinations);
    state.KeyCount = static_cast<qint16>(keyCount);
    state.NumberMass = *numberMass;
    state.TotalCombinations = *totalCombinations;

    DevelopOutcome outcome;
    outcome.listText = ListText(state);
    return outcome;
}

void ClearCommand(VARIABILI &state)
{
    state.NumberMass = 0;
    state.TotalCombinations = 0;
}

} // namespace ruvento
