#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace korvanne {

// Exit statuses of korvanne-cli.
enum ExitStatus : int {
    ExitDone = 0,
    ExitFailed = 1,   // the operation failed: no answer, refused, bad file
    ExitUsage = 2,    // the command line is wrong
    ExitNoPedal = 3,  // no pedal found
};

// The options that come before the command.
struct GlobalOptions {
    QString port;    // --port PATH
    QString serial;  // --serial SERIAL
    bool simulate = false;
    bool yes = false;
    QString logFile;
    bool verbose = false;
    QString server;
    bool help = false;
    bool version = false;
};

struct CommandLine {
    GlobalOptions options;
    QString command;
    QStringList arguments;  // the command's own words, options included
};

// Reads the words after the program name. Global options may come before the command or after
// it; everything else after the command is the command's. A number such as -45 is a word, not an
// option. On a usage error returns nothing and sets `error` to one sentence.
std::optional<CommandLine> parseCommandLine(const QStringList& words, QString& error);

// The --help text: every command with its arguments.
QString helpText();
// One line pointing at --help, printed after a usage error.
QString usageHint();

// The words of one command: its --flags and --options are taken out by name, the rest are its
// positional arguments. A leftover --word is an unknown option.
class CommandArguments {
public:
    explicit CommandArguments(QStringList words) : words_(std::move(words)) {}

    // Takes --name out; true when it was there.
    bool flag(const QString& name);
    // Takes --name VALUE (or --name=VALUE) out. A missing value sets `error`.
    std::optional<QString> option(const QString& name, QString& error);
    // What is left once the flags and options are taken; an unknown --word sets `error`.
    QStringList positionals(QString& error) const;

private:
    QStringList words_;
};

}  // namespace korvanne
