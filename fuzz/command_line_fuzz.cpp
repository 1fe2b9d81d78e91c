// korvanne-cli's command line: the words (split on NUL bytes, as argv arrives) read by the grammar,
// then by the command's options and by every value reader its commands use: hex digits, whole
// numbers, parameter names and values, notes, gains and Qs, MIDI channels, key=value words.
#include <QString>
#include <QStringList>
#include <cstdint>

#include "cli/command_line.h"
#include "cli/value_parsing.h"
#include "console/filter_coefficients.h"
#include "effect/shown_values.h"

namespace {

QStringList splitWords(const std::uint8_t* data, std::size_t size) {
    QStringList words;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != 0) continue;
        words << QString::fromUtf8(reinterpret_cast<const char*>(data) + start,
                                   static_cast<qsizetype>(i - start));
        start = i + 1;
    }
    return words;
}

// A refusal must say why.
void mustExplain(bool accepted, const QString& error) {
    if (!accepted && error.isEmpty()) __builtin_trap();
}

void readValues(const QStringList& words) {
    using namespace korvanne;
    QString error;
    const auto set = parseSetRequest(words, error);
    mustExplain(set.has_value(), error);
    if (set && !set->entry) __builtin_trap();
    if (set && set->kind == SetRequest::Angle && (set->angle < -180 || set->angle > 180))
        __builtin_trap();
    // A shown value's setting shows that value again.
    if (set && set->kind == SetRequest::Shown &&
        settingFromShown(*set->entry, shownText(*set->entry, set->setting)) != set->setting)
        __builtin_trap();

    error.clear();
    const auto coefficients = parseCoefficientRequest(words.mid(0, 3), error);
    mustExplain(coefficients.has_value(), error);
    if (coefficients) {
        const auto& names = filter::noteNames();
        if (coefficients->note < 0 || coefficients->note >= int(names.size())) __builtin_trap();
        filter::coefficientTable(
            names[std::size_t(coefficients->note)],
            filter::CalcNoteFrequency(coefficients->note - filter::ReferenceIndex), coefficients->q,
            coefficients->gain);
    }

    for (const auto& [command, keys] :
         {std::pair{QStringLiteral("assign"),
                    QStringList{"control1", "control2", "control3", "control4", "remote"}},
          std::pair{QStringLiteral("footswitch"), QStringList{"short", "long"}}}) {
        error.clear();
        const auto named = parseKeyValues(words.mid(0, 16), keys, command, error);
        mustExplain(named.has_value(), error);
        for (const auto& [key, value] : named.value_or(std::map<QString, QString>{})) {
            if (!keys.contains(key)) __builtin_trap();
        }
    }

    // A command reads a handful of words; reading thousands of them one by one would only slow
    // the search down.
    for (const QString& word : words.mid(0, 16)) {
        for (const int digits : {4, 8}) {
            const auto hex = hexDigits(word, digits);
            if (hex && (hex->size() != digits || *hex != hex->toUpper())) __builtin_trap();
        }
        if (const auto n = wholeNumber(word, -5, 8); n && (*n < -5 || *n > 8)) __builtin_trap();
        if (const auto code = noteCutCode(word); code && (*code < 0 || *code > 7)) __builtin_trap();
        midiChannelCaption(word);
        parameterByName(word);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList words = splitWords(data, size);
    QString error;
    const auto line = korvanne::parseCommandLine(words, error);
    mustExplain(line.has_value(), error);
    if (!line) return 0;

    korvanne::CommandArguments args(line->arguments);
    args.flag(QStringLiteral("--json"));
    error.clear();
    args.option(QStringLiteral("--address"), error);
    error.clear();
    const QStringList positionals = args.positionals(error);
    readValues(error.isEmpty() ? positionals : line->arguments);
    return 0;
}
