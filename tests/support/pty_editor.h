#pragma once

#include <QLabel>
#include <QTemporaryDir>
#include <memory>

#include "app/editor.h"
#include "app/tform_main.h"
#include "core/clock.h"
#include "core/services.h"
#include "counting_transport.h"
#include "device/serial_transport.h"
#include "app/main_controller.h"
#include "recording_log.h"
#include "recording_shell.h"
#include "scripted_dialogs.h"

namespace korvanne::test {

// The whole editor on the real clock with the serial backend, which sees only `port` (a
// korvanne-pedal-sim pseudo-terminal): the code path a user's FTDI bridge takes.
struct PtyEditor {
    QTemporaryDir home;
    RecordingLog log;
    ScriptedDialogs dialogs;
    RealClock clock;
    RecordingShell shell;
    SerialTransport transport;
    CountingTransport counting{transport};  // counts the calls the editor makes
    std::unique_ptr<Editor> editor;

    explicit PtyEditor(const QString& port) {
        transport.setUsbBridgesListed(false);
        transport.addPortPath(port);
        editor = std::make_unique<Editor>(
            Services{log, dialogs, clock, shell, SettingsHome(home.path()), counting});
        // On the real clock the start-up version check would ask the maker's server.
        editor->operations().TimerCheckWebVersion().stop();
    }
    QString label(const char* name) { return editor->main().findChild<QLabel*>(name)->text(); }
};

}  // namespace korvanne::test
