#pragma once

#include <QJsonObject>
#include <QString>
#include <map>
#include <memory>

#include "cli/cli_effect_views.h"
#include "cli/cli_view.h"
#include "cli/command_line.h"
#include "cli/pedal_snapshot.h"
#include "cli/stream_log.h"
#include "cli/terminal_dialogs.h"
#include "console/console_tools.h"
#include "core/clock.h"
#include "core/shell.h"

namespace korvanne {

class MainController;

// The console tools' address list without a widget.
class CliConsoleView final : public ConsoleToolsView {
public:
    QString i2cAddressText() const override { return address; }
    QString rawAddressText() const override { return {}; }
    QString rawDataText() const override { return {}; }
    QString address = QStringLiteral("50");
};
class SerialTransport;
class Transport;
struct Services;
struct TwoItemSetting;

// korvanne-cli: one command per run over the operations the editor's windows use. Results go to
// standard output; messages, questions and failures to standard error.
class CliApp {
public:
    // `interactive`: standard input is a terminal, so confirmations can be asked.
    CliApp(CommandLine line, bool interactive);
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
    void createController();
    enum class LinkFor { Status, Bootloader };
    int linkPedal(LinkFor purpose = LinkFor::Status);
    // Makes the link's status handshake read without sending anything back.
    void readWithoutEcho();
    void unlink();
    // The state read by the link's status handshake.
    PedalSnapshot readSnapshot() const;
    // Stops a command that changes the pedal when the link left it unusable (firmware or
    // algorithm too old), the way the editor disables the matching controls.
    int refuseUnless(bool usable);

    // A command that asks before it sends stops here, before linking, when nothing can answer.
    int confirmable();
    // After an operation that asked: the status of a question nobody could answer, or of a No.
    int confirmationOutcome();

    // Waits for the memory check's verdict (a message after `messagesBefore`); 0 when empty.
    int awaitMemoryCheck(qsizetype messagesBefore);

    int fail(int status, const QString& sentence);
    int usage(const QString& sentence);
    void print(const QString& text);

    CommandLine line_;
    StreamLog log_;
    TerminalDialogs dialogs_;
    RealClock clock_;
    std::unique_ptr<Shell> shell_;
    std::unique_ptr<Transport> transport_;
    SerialTransport* serialTransport_ = nullptr;
    std::unique_ptr<Services> services_;
    CliView view_;
    CliConsoleView consoleView_;
    CliAssignmentView assignmentView_;
    CliNoteCutView noteCutView_;
    std::unique_ptr<MainController> controller_;
    bool linked_ = false;
};

}  // namespace korvanne
