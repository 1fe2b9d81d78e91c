#include "cli/command_line.h"

namespace korvanne {

namespace {

// An option is a word starting with "-" that is not a number (-1, -45, -6.5) nor a parameter
// name given as one word that starts with one ("-1 Oct").
bool isOptionWord(const QString& word) {
    if (!word.startsWith('-') || word.size() < 2 || word[1].isDigit()) return false;
    bool number = false;
    word.toDouble(&number);
    return !number;
}

// Splits "--name=value" into its parts; `value` stays empty without "=".
QString optionName(const QString& word, QString* value, bool* hasValue) {
    const int eq = word.indexOf('=');
    if (eq < 0) {
        *hasValue = false;
        return word;
    }
    *hasValue = true;
    *value = word.mid(eq + 1);
    return word.left(eq);
}

}  // namespace

std::optional<CommandLine> parseCommandLine(const QStringList& words, QString& error) {
    CommandLine line;
    GlobalOptions& o = line.options;
    bool commandSeen = false;
    for (int i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (!isOptionWord(word)) {
            if (!commandSeen) {
                line.command = word;
                commandSeen = true;
            } else {
                line.arguments << word;
            }
            continue;
        }
        QString inlineValue;
        bool hasInline = false;
        const QString name = optionName(word, &inlineValue, &hasInline);
        auto takeValue = [&](QString& target) -> bool {
            if (hasInline) {
                target = inlineValue;
            } else if (i + 1 < words.size()) {
                target = words[++i];
            } else {
                error = QStringLiteral("The option %1 needs a value.").arg(name);
                return false;
            }
            if (target.isEmpty()) {
                error = QStringLiteral("The option %1 needs a value.").arg(name);
                return false;
            }
            return true;
        };
        if (name == "--port") {
            if (!takeValue(o.port)) return std::nullopt;
        } else if (name == "--serial") {
            if (!takeValue(o.serial)) return std::nullopt;
        } else if (name == "--log") {
            if (!takeValue(o.logFile)) return std::nullopt;
        } else if (name == "--server") {
            if (!takeValue(o.server)) return std::nullopt;
        } else if (name == "--simulate" && !hasInline) {
            o.simulate = true;
        } else if ((name == "--yes" || name == "-y") && !hasInline) {
            o.yes = true;
        } else if ((name == "--verbose" || name == "-v") && !hasInline) {
            o.verbose = true;
        } else if ((name == "--help" || name == "-h") && !hasInline) {
            o.help = true;
        } else if (name == "--version" && !hasInline) {
            o.version = true;
        } else if (commandSeen) {
            // The command's own option; the command judges it.
            line.arguments << word;
        } else {
            error = QStringLiteral("Unknown option %1.").arg(word);
            return std::nullopt;
        }
    }
    const int links = int(!o.port.isEmpty()) + int(!o.serial.isEmpty()) + int(o.simulate);
    if (links > 1) {
        error = QStringLiteral("Choose only one of --port, --serial and --simulate.");
        return std::nullopt;
    }
    if (!o.help && !o.version && line.command.isEmpty()) {
        error = QStringLiteral("No command given.");
        return std::nullopt;
    }
    return line;
}

bool CommandArguments::flag(const QString& name) {
    const int at = words_.indexOf(name);
    if (at < 0) return false;
    words_.removeAt(at);
    return true;
}

std::optional<QString> CommandArguments::option(const QString& name, QString& error) {
    for (int i = 0; i < words_.size(); ++i) {
        if (words_[i].startsWith(name + '=')) {
            const QString value = words_[i].mid(name.size() + 1);
            words_.removeAt(i);
            return value;
        }
        if (words_[i] != name) continue;
        if (i + 1 >= words_.size()) {
            error = QStringLiteral("The option %1 needs a value.").arg(name);
            return std::nullopt;
        }
        const QString value = words_[i + 1];
        words_.remove(i, 2);
        return value;
    }
    return std::nullopt;
}

QStringList CommandArguments::positionals(QString& error) const {
    for (const QString& word : words_) {
        if (isOptionWord(word)) {
            error = QStringLiteral("Unknown option %1.").arg(word);
            return {};
        }
    }
    return words_;
}

QString usageHint() {
    return QStringLiteral("Run korvanne-cli --help for the commands and their arguments.");
}

QString helpText() {
    return QStringLiteral(
        R"(Usage: korvanne-cli [--port PATH | --serial SERIAL | --simulate] [--yes] [--log FILE]
                    [--verbose] [--server URL] COMMAND ...

Works with a Korvanne MK3 pedal from the command line, with the same operations as the editor.

Which pedal:
  --port PATH        the serial port at PATH (e.g. /dev/ttyUSB0, or korvanne-pedal-sim's port)
  --serial SERIAL    the USB bridge with this serial number (see `list`)
  --simulate         the built-in simulated pedal, started fresh on every run: nothing
                     carries over from one run to the next
  (none)             the one USB bridge that is connected

Options:
  --yes, -y          answer Yes to every confirmation (otherwise asked on the terminal: y or n;
                     without a terminal the command stops before sending anything)
  --log FILE         append the console lines to FILE
  --verbose, -v      write the console lines to standard error
  --server URL       the maker's web server (for check-update)
  --help, -h         this text
  --version          the editor's version

Commands:
  list                          the bridges found: serial number, a tab, description
  status [--json]               link, read the pedal's state, print it and unlink; the
                                nineteen effect parameters as the effect window shows them
  set NAME VALUE                set a parameter by its name ("Dry", "Noise Gate Threshold";
                                letter case ignored) to VALUE, see "Parameter values" below
  bypass on|off                 switch the bypass
  upload [FILE]                 upload the algorithm of the pedal's current effect, or FILE
  tuning TUNING SEMITONES       set the tuning (0..8) and the semitone variation (-5..3)
  tuning-data                   upload the tuning data
  assign [control1=NAME] [control2=NAME] [control3=NAME] [control4=NAME]
         [remote=bypass|preset] assign parameters to the controls (a control not named becomes
                                "Not Assigned")
  footswitch short=bypass|preset long=bypass|preset
                                set what a short and a long press do (a press not named
                                stays as it is)
  store                         "Save Parameters": store the values just read from the pedal
  preset save FILE              save the pedal's parameters as a preset file
  preset load FILE              load a preset file into the pedal
  range standard|low            the instrument range
  bypass-storing on|off         whether the pedal remembers its bypass state
  range-limit on|off            the range limit
  midi omni|1..16               the MIDI channel
  note-filter [NOTE [NOTE]]     the notes to cut (A2, A#2, ... E3); none clears the filter
  firmware-upgrade [--legacy] [--verify]
                                upgrade the pedal's firmware: it is asked to enter its
                                bootloader, or with --legacy it is already there
  erase-settings [--check]      erase the pedal's settings memory; --check then checks it
  eeprom erase|read [--address 50|51]
                                erase or read the settings memory at an I2C address (the
                                bytes read go to the log)
  raw ADDRESS DATA              send a parameter write: ADDRESS 4 hex digits, DATA 8
  coefficients NOTE GAIN Q      print a peaking filter's coefficients (no pedal needed)
  check-update                  ask the maker's web server for a newer editor (no pedal needed)
  backup FILE                   write the pedal's whole state as the JSON of `status --json`
                                (see "Status and backup JSON" below)
  restore FILE [--no-store]     send what differs from FILE's state (a backup), each change
                                printed, then "Save Parameters" unless --no-store

Parameter values (set NAME VALUE):
  6.5                a knob as its face shows it: 0.0 to 10.0 with at most one decimal; the
                     knob goes to the position that shows it nearest to VALUE x 269 / 10, as
                     if turned there in the effect window (set Dry 6.5). Read back from the
                     pedal, a knob can show a tenth apart from the value set, in the effect
                     window too: its reported value decodes to a neighbouring position.
  -11                "1st Harmonic Pitch" in semitones, -12 to +12 (set "1st Harmonic Pitch"
                     -11); also written pitch=N
  on, off            a switch ("Wave", "Split", "Limit Range UP", "Noise Gate Status") or a
                     check box ("Dominant Notes Cut", "High Notes Cut")
  angle=DEG          a knob's pointer angle in whole degrees, -180 to 180: the minimum is -135
                     at lower left; turning up goes clockwise over the top, the angle falling
                     through -180 (the same as 180), 90 (straight up) and 0 to the maximum -45
                     at lower right. An angle between -135 and -45 (below the knob) goes to the
                     nearer end, -90 to the minimum.
  raw=0xHHHHHHHH     the 8 hex digits sent as they are (any parameter)

Status and backup JSON: "parameters" holds each parameter's value as the pedal reports it,
8 hex digits; a restore works from these alone. "parameters_shown" repeats each value as the
effect window shows it ("Dry": "6.5", "Wave": "on", "1st Harmonic Pitch": "-11"), or null for
a value the window has no way to show. A restore reads backups with or without
"parameters_shown" and refuses one whose shown values disagree with "parameters".

Negative numbers are accepted wherever a number is expected (tuning 1 -1, set Dry angle=-45,
set "1st Harmonic Pitch" -11).

Exit status: 0 done, 1 the operation failed (no answer, refused, bad file), 2 usage error,
3 no pedal found.
)");
}

}  // namespace korvanne
