#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>

#include "cli/cli_app.h"
#include "core/clock.h"
#include "counting_transport.h"
#include "memory_streams.h"
#include "sim/built_in_pedal.h"
#include "sim/sim_transport.h"

namespace korvanne::test {

// What one run of korvanne-cli ended with.
struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
    // For failure messages of the test itself.
    QByteArray describe() const {
        return "exit " + QByteArray::number(exitCode) + "\nstdout: " + out + "\nstderr: " + err;
    }
};

// korvanne-cli in process on virtual time: one simulated pedal that keeps its state from run to
// run (as korvanne-pedal-sim does), a fresh settings home, and the output and error text of each
// run captured. --simulate gets the built-in simulated pedal on the same virtual clock.
struct CliHarness {
    VirtualClock clock;
    SimTransport transport{clock};
    PedalModel* pedal = nullptr;
    QTemporaryDir home;

    // A pedal as korvanne-pedal-sim starts it.
    explicit CliHarness(PedalOptions options = {}) {
        pedal = &transport.addPedal(std::move(options));
    }

    // One run of the words after the program's name. With `terminal`, `typed` is what the user
    // types in answer to the questions; otherwise standard input is no terminal.
    CliRun run(const QStringList& words, const QByteArray& typed = {}, bool terminal = false) {
        InputStream in(typed);
        OutputStream out;
        OutputStream err;
        TerminalDialogs dialogs(false, terminal, in.file, err.file);
        StreamLog log(err.file);
        TerminalShell shell(out.file);
        auto makeTransport = [this](const GlobalOptions& o) -> std::unique_ptr<Transport> {
            if (o.simulate) return makeBuiltInSimulatedPedal(clock);
            return std::make_unique<CountingTransport>(transport);
        };
        CliRun run;
        {
            CliApp cli(words, CliServices{clock, makeTransport, dialogs, log, shell,
                                          SettingsHome(home.path()), out.file, err.file});
            run.exitCode = cli.run();
        }
        run.out = out.text();
        run.err = err.text();
        return run;
    }

    // Every byte the pedal received, once the last bytes written have crossed the line.
    QByteArray settled() {
        clock.advance(1000);
        return received();
    }
    // Every byte the pedal received so far.
    QByteArray received() const {
        const auto& bytes = pedal->received();
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }
};

}  // namespace korvanne::test
