#pragma once

#include <QTemporaryDir>
#include <memory>

#include "app/editor.h"
#include "app/tform_main.h"
#include "console/tform_print.h"
#include "core/clock.h"
#include "core/services.h"
#include "app/main_controller.h"
#include "recording_log.h"
#include "recording_shell.h"
#include "scripted_dialogs.h"
#include "sim/sim_transport.h"

namespace korvanne::test {

// The whole editor on virtual time, with the simulated pedal behind the transport, scripted
// dialogs, a recording shell and a fresh settings home. Pedals are added before start().
struct EditorFixture {
    QTemporaryDir home;
    RecordingLog log;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    RecordingShell shell;
    SimTransport transport{clock};
    std::unique_ptr<Editor> editor;
    // The start-up version check asks a web server; only the tests of that check want it.
    bool webVersionCheck = false;

    // `through`, when given, stands between the editor and the simulated pedals.
    Editor& start(Transport* through = nullptr) {
        Services services{
            log, dialogs, clock, shell, SettingsHome(home.path()), through ? *through : transport};
        editor = std::make_unique<Editor>(services);
        if (!webVersionCheck) editor->operations().TimerCheckWebVersion().stop();
        editor->main().show();
        return *editor;
    }
    TformMain& main() { return editor->main(); }
    MainController& controller() { return editor->controller(); }
    PedalOperations& operations() { return editor->operations(); }
    QString settingsPath(const QString& relative) const { return home.filePath(relative); }
};

}  // namespace korvanne::test
