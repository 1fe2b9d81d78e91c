#pragma once

#include <QJsonObject>
#include <QString>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>

#include "cli/cli_effect_views.h"
#include "cli/cli_front_end.h"
#include "cli/command_line.h"
#include "cli/stream_log.h"
#include "cli/terminal_dialogs.h"
#include "console/console_tools.h"
#include "core/clock.h"
#include "core/outcome.h"
#include "core/settings_home.h"
#include "core/shell.h"
#include "operations/pedal_backup.h"

namespace korvanne {

class PedalOperations;

// The console tools' address list without a widget.
class CliConsoleView final : public ConsoleToolsView {
public:
    QString i2cAddressText() const override { return address; }
    QString rawAddressText() const override { return {}; }
    QString rawDataText() const override { return {}; }
    QString address = QStringLiteral("50");
};
class Transport;
struct Services;
struct TwoItemSetting;

// The desktop shell has no place on a terminal: an address is printed for the user to open.
class TerminalShell final : public Shell {
public:
    explicit TerminalShell(std::FILE* out) : out_(out) {}
    bool openUrl(const QString& url) override;
    bool startElevated(const QString&, const QStringList&) override { return false; }

private:
    std::FILE* out_;
};

// What korvanne-cli runs on, given by its caller: the terminal, the serial port and real time in
// korvanne-cli itself; captured streams, the simulated pedal and virtual time in tests.
struct CliServices {
    Clock& clock;
    // The transport for this run's --simulate / --port choice.
    std::function<std::unique_ptr<Transport>(const GlobalOptions&)> makeTransport;
    TerminalDialogs& dialogs;
    StreamLog& log;
    Shell& shell;
    SettingsHome home;
    std::FILE* out;              // results
    std::FILE* err;              // messages, failures, progress
    bool errIsTerminal = false;  // a progress bar is drawn only on a terminal
};

// korvanne-cli: one command per run over the operations the editor's windows use. Results go to
// the output stream; messages, questions and failures to the error stream.
class CliApp {
public:
    // `words`: the command line after the program's name.
    CliApp(QStringList words, CliServices services);
    ~CliApp();
    CliApp(const CliApp&) = delete;
    CliApp& operator=(const CliApp&) = delete;

    // Runs the command; returns the exit status.
    int run();

private:
    using Handler = int (CliApp::*)(CommandArguments&);
    struct Command {
        const char* name;
        bool needsPedal;
        Handler handler;
    };
    static const Command* findCommand(const QString& name);

    // Commands.
    int list(CommandArguments& args);
    int status(CommandArguments& args);
    int bypass(CommandArguments& args);
    int raw(CommandArguments& args);
    int set(CommandArguments& args);
    int preset(CommandArguments& args);
    int checkUpdate(CommandArguments& args);
    int upload(CommandArguments& args);
    int firmwareUpgrade(CommandArguments& args);
    int eeprom(CommandArguments& args);
    int eraseSettings(CommandArguments& args);
    int coefficients(CommandArguments& args);
    int backup(CommandArguments& args);
    int restore(CommandArguments& args);
    // The tunings, assignments, store and pedal-wide settings.
    int tuning(CommandArguments& args);
    int tuningData(CommandArguments& args);
    int assign(CommandArguments& args);
    int footswitch(CommandArguments& args);
    int store(CommandArguments& args);
    int range(CommandArguments& args);
    int bypassStoring(CommandArguments& args);
    int rangeLimit(CommandArguments& args);
    int midi(CommandArguments& args);
    int noteFilter(CommandArguments& args);

    // range, bypass-storing and range-limit: one word clicks one of two menu items.
    int twoItemSetting(CommandArguments& args, const TwoItemSetting& setting);
    // A command with no arguments; 0 when there are none.
    int noArguments(CommandArguments& args, const QString& command);
    // A command whose one argument is one of `choices` (letter case ignored), put in `chosen`
    // as written in `choices`; 0 when it is.
    int oneOf(CommandArguments& args, const QStringList& choices, const QString& sentence,
              QString& chosen);
    // Words of the form key=value; a word without "=" continues the value before it, so a
    // parameter name of several words may come unquoted. 0 when every key is in `keys`, once.
    int keyValues(CommandArguments& args, const QStringList& keys, const QString& command,
                  std::map<QString, QString>& values);

    // The pedal.
    void composeOperations();
    enum class LinkFor { Status, Bootloader };
    int linkPedal(LinkFor purpose = LinkFor::Status);
    void unlink();
    // Backup and restore over the pedal operations.
    PedalBackup pedalBackup();
    // Stops a command that changes the pedal when the link found its firmware (or, where the
    // command needs it, its algorithm) older than this program's.
    int refuseUnlessReady(bool needsCurrentAlgorithm);
    // Prints what an operation did and gives the exit status it maps to.
    int report(const Outcome& outcome);

    // A command that asks before it sends stops here, before linking, when nothing can answer.
    int confirmable();
    // After an operation that asked: the status of a question nobody could answer, or of a No.
    int confirmationOutcome();

    // Waits for the memory check's verdict; 0 when the memory is empty.
    int awaitMemoryCheck();

    int fail(int status, const QString& sentence);
    int usage(const QString& sentence);
    void print(const QString& text);

    QStringList words_;
    CommandLine line_;
    CliServices io_;
    StreamLog& log_;
    TerminalDialogs& dialogs_;
    Clock& clock_;
    std::unique_ptr<Transport> transport_;
    std::unique_ptr<Services> services_;
    CliFrontEnd frontEnd_;
    CliConsoleView consoleView_;
    CliAssignmentView assignmentView_;
    CliNoteCutView noteCutView_;
    std::unique_ptr<PedalOperations> operations_;
    bool linked_ = false;
};

}  // namespace korvanne
