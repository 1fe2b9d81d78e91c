#include "cli/cli_app.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QSaveFile>
#include <cmath>
#include <cstdio>

#include "app/local_settings.h"
#include "app/main_controller.h"
#include "app/presets.h"
#include "cli/cli_firmware_view.h"
#include "cli/value_parsing.h"
#include "console/console_tools.h"
#include "console/filter_coefficients.h"
#include "core/decimal_digits.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/ft_error_text.h"
#include "device/hex_text.h"
#include "device/serial_transport.h"
#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/parameter_catalogue.h"
#include "sim/built_in_pedal.h"
#include "sim/sim_transport.h"
#include "transfer/algorithm_upload.h"
#include "transfer/erase_settings.h"
#include "transfer/firmware_upgrade.h"
#include "update/update_check.h"

namespace korvanne {

namespace {

// The desktop shell has no place on a terminal: an address is printed for the user to open.
class TerminalShell final : public Shell {
public:
    bool openUrl(const QString& url) override {
        std::fprintf(stdout, "%s\n", url.toUtf8().constData());
        return true;
    }
    bool startElevated(const QString&, const QStringList&) override { return false; }
};

void writeTo(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (!text.endsWith('\n')) std::fputc('\n', stream);
    std::fflush(stream);
}

// How long the memory check may take: the pedal's pause, the dump at line speed, the quiet limit.
constexpr int MemoryCheckLimitMs = 8'000;

const QString ConfirmationNeeded = QStringLiteral(
    "This command needs a confirmation but there is no terminal to ask on, so nothing was sent "
    "(add --yes to answer Yes).");

}  // namespace

CliApp::CliApp(CommandLine line, bool interactive)
    : line_(std::move(line)),
      dialogs_(line_.options.yes, interactive),
      shell_(std::make_unique<TerminalShell>()) {}

CliApp::~CliApp() {
    unlink();
}

const CliApp::Command* CliApp::findCommand(const QString& name) {
    static const Command commands[] = {
        {"list", false, &CliApp::list},
        {"status", true, &CliApp::status},
        {"bypass", true, &CliApp::bypass},
        {"raw", true, &CliApp::raw},
        {"set", true, &CliApp::set},
        {"preset", true, &CliApp::preset},
        {"check-update", false, &CliApp::checkUpdate},
        {"upload", true, &CliApp::upload},
        {"firmware-upgrade", true, &CliApp::firmwareUpgrade},
        {"eeprom", true, &CliApp::eeprom},
        {"erase-settings", true, &CliApp::eraseSettings},
        {"coefficients", false, &CliApp::coefficients},
        {"backup", true, &CliApp::backup},
        {"restore", true, &CliApp::restore},
        {"tuning", true, &CliApp::tuning},
        {"tuning-data", true, &CliApp::tuningData},
        {"assign", true, &CliApp::assign},
        {"footswitch", true, &CliApp::footswitch},
        {"store", true, &CliApp::store},
        {"range", true, &CliApp::range},
        {"bypass-storing", true, &CliApp::bypassStoring},
        {"range-limit", true, &CliApp::rangeLimit},
        {"midi", true, &CliApp::midi},
        {"note-filter", true, &CliApp::noteFilter},
    };
    for (const Command& c : commands) {
        if (name == QLatin1String(c.name)) return &c;
    }
    return nullptr;
}

int CliApp::run() {
    const GlobalOptions& o = line_.options;
    if (o.help) {
        print(helpText());
        return ExitDone;
    }
    if (o.version) {
        print(QStringLiteral("korvanne-cli ") + GetEditorVersion());
        return ExitDone;
    }
    if (!o.logFile.isEmpty()) {
        QString why;
        if (!log_.openFile(o.logFile, &why)) {
            return fail(ExitFailed,
                        QStringLiteral("Cannot write the log file %1: %2.").arg(o.logFile, why));
        }
    }
    log_.setToStderr(o.verbose);
    if (!o.server.isEmpty()) qputenv("KORVANNE_MAKER_SITE", o.server.toUtf8());

    const Command* command = findCommand(line_.command);
    if (!command) return usage(QStringLiteral("Unknown command '%1'.").arg(line_.command));
    CommandArguments args(line_.arguments);
    const int result = (this->*(command->handler))(args);
    unlink();
    return result;
}

// ---------------------------------------------------------------------------------------------
// The pedal

void CliApp::createController() {
    if (controller_) return;
    const GlobalOptions& o = line_.options;
    if (o.simulate) {
        transport_ = makeBuiltInSimulatedPedal(clock_);
    } else {
        auto serial = std::make_unique<SerialTransport>();
        if (!o.port.isEmpty()) serial->addPortPath(o.port);
        serialTransport_ = serial.get();
        transport_ = std::move(serial);
    }
    services_.reset(new Services{log_, dialogs_, clock_, *shell_, SettingsHome(), *transport_});
    controller_ = std::make_unique<MainController>(*services_, view_);

    // What the editor's start-up prepares for the operations; nothing here touches the settings
    // files or the network.
    MainController& c = *controller_;
    c.unit().SetLineParameters(0);
    c.messages().FirmwareUpgradeMode = false;
    c.FillEffectList();
    c.EditorVersion = GetEditorVersion();
    c.catalogue.setLatestFromFirstItem(view_.effectText(0));
    c.MostRecentFirmware = MostRecentFirmwareNumber;

    // The assignment lists take what the link reads, as the effect window's lists do.
    ControlAssignments& assignments = c.controlAssignments();
    assignmentView_.onChange = [&assignments](AssignList list) {
        assignments.assignOnChange(list);
    };
    assignments.setView(&assignmentView_);
    assignments.FormCreate();
}

int CliApp::linkPedal(LinkFor purpose) {
    createController();
    const GlobalOptions& o = line_.options;
    D2xxUnit& unit = controller_->unit();
    // Which pedal is missing is said below in one sentence, not per failed call.
    unit.ErrorReportEnabled = false;

    if (!o.port.isEmpty() && !QFileInfo::exists(o.port)) {
        return fail(ExitNoPedal,
                    QStringLiteral("No pedal found: there is no port %1.").arg(o.port));
    }
    QStringList serials;
    QStringList descriptions;
    if (unit.GetFTDeviceCount() == ft::OK) {
        for (std::uint32_t i = 0; i < unit.FTDeviceCount; ++i) {
            if (unit.GetFTDeviceSerialNo(i) != ft::OK) continue;
            serials << QString::fromStdString(unit.FT_Device_String);
            descriptions << (unit.GetFTDeviceDescription(i) == ft::OK
                                 ? QString::fromStdString(unit.FT_Device_String)
                                 : QString());
        }
    }
    int chosen = -1;
    if (!o.port.isEmpty()) {
        chosen = int(serials.indexOf(o.port));
    } else if (!o.serial.isEmpty()) {
        chosen = int(serials.indexOf(o.serial));
        if (chosen < 0) {
            return fail(ExitNoPedal,
                        QStringLiteral("No pedal found with serial number %1.").arg(o.serial));
        }
    } else if (serials.size() == 1) {
        chosen = 0;
    } else if (serials.isEmpty()) {
        return fail(ExitNoPedal, QStringLiteral("No pedal found: no USB bridge is connected."));
    } else {
        return usage(QStringLiteral("Several USB bridges are connected (%1); choose one with "
                                    "--serial SERIAL.")
                         .arg(serials.join(", ")));
    }
    if (chosen < 0) return fail(ExitNoPedal, QStringLiteral("No pedal found."));

    Communication& comm = controller_->communication();
    comm.DeviceSerial = serials[chosen];
    view_.setText(Control::lblDeviceName, descriptions[chosen]);
    // A failed open is said below in one sentence of the command line's own.
    dialogs_.holdMessages();
    readWithoutEcho();
    comm.Link();
    // Commands after the link send as a user's changes do.
    comm.RequestInProgress = false;
    if (comm.Linked) {
        dialogs_.releaseMessages();
    } else {
        dialogs_.dropMessages();
        // The link says only that the open failed; asking once more tells why.
        const FtStatus why = unit.Open_USB_Device_By_Serial_Number(serials[chosen].toStdString());
        if (why == ft::OK) unit.CloseFTDevice();
        if (why == ft::NO_PERMISSION) {
            return fail(ExitNoPedal, QString::fromStdString(FtErrorSuffix(why)).mid(3));
        }
        return fail(ExitNoPedal,
                    QStringLiteral("No pedal found: %1 could not be opened (is another program "
                                   "using it?).")
                        .arg(serials[chosen]));
    }
    linked_ = true;
    unit.ErrorReportEnabled = true;
    // A pedal in its bootloader is not asked for its status.
    if (purpose == LinkFor::Bootloader) return ExitDone;
    if (controller_->messages().received_bytes_array.size() < 4) {
        return fail(ExitFailed, Communication::NoAnswerMessage);
    }
    return ExitDone;
}

void CliApp::readWithoutEcho() {
    // Reading the pedal never writes to it. The status handshake then runs as Request does, so
    // the effect controls take the reported values without sending them back; the switches,
    // whose handlers still send during a Request, are shown the reported state first, so taking
    // it changes nothing and sends nothing.
    controller_->communication().RequestInProgress = true;
    FxSettings& fx = controller_->fxSettings();
    controller_->appliers.LogParameterValues = [&fx](const std::vector<std::uint8_t>& entries,
                                                     std::size_t at) {
        const std::vector<std::uint32_t> block = ParameterValueBlock(entries, at);
        const auto reported = [&](Param p) -> std::optional<std::uint32_t> {
            const auto i = std::size_t(order(p));
            return i < block.size() ? std::optional(block[i]) : std::nullopt;
        };
        FxSettingsView& controls = fx.view();
        if (const auto v = reported(Param::Wave); v && (*v == WaveOn || *v == WaveOff)) {
            controls.showSwitch(Switch::swtWave, *v == WaveOn);
        }
        if (const auto v = reported(Param::Split); v && *v <= 1) {
            controls.showSwitch(Switch::swtSplit, *v == 1);
        }
        if (const auto v = reported(Param::LimitRangeUp)) {
            controls.showSwitch(Switch::swtLimitRange, *v == 1);
        }
        if (const auto v = reported(Param::NoiseGateStatus)) {
            controls.showSwitch(Switch::swtNoiseGateStatus, *v == 1);
        }
        fx.LogParameterValues(entries, at);
    };
    controller_->appliers.ApplyTuning = [this, previous = controller_->appliers.ApplyTuning](
                                            const std::vector<std::uint8_t>& entries,
                                            std::size_t at) {
        if (previous) previous(entries, at);
        // The note-cut rule asks the tuning list; without a window it is told here.
        controller_->fxSettings().headlessControls().guitarTuning =
            entries[at] <= 8 ? entries[at] : 0;
    };
}

void CliApp::unlink() {
    if (!linked_ || !controller_) return;
    linked_ = false;
    controller_->communication().menuDisconnectClick();
}

int CliApp::refuseUnless(bool usable) {
    if (usable) return ExitDone;
    const Communication& comm = controller_->communication();
    const std::optional<std::uint32_t> firmware =
        decimalFromDigits(comm.DeviceFirmware.toStdString());
    if (firmware && *firmware < controller_->MostRecentFirmware) {
        return fail(ExitFailed, QStringLiteral("The pedal's firmware %1 is too old for this; "
                                               "upgrade it first (korvanne-cli firmware-upgrade).")
                                    .arg(comm.DeviceFirmware));
    }
    const QString latest =
        QStringLiteral("%1").arg(controller_->catalogue.LatestAlgorithmNumber, 4, 10, QChar('0'));
    if (comm.DeviceAlgorithm != latest) {
        return fail(ExitFailed, QStringLiteral("The pedal runs algorithm %1, older than %2; upload "
                                               "the current one first (korvanne-cli upload).")
                                    .arg(comm.DeviceAlgorithm, latest));
    }
    return fail(ExitFailed, QStringLiteral("The pedal is not ready for this command."));
}

PedalSnapshot CliApp::readSnapshot() const {
    const Communication& comm = controller_->communication();
    const std::vector<std::uint8_t>& e = controller_->messages().received_bytes_array;
    PedalSnapshot s;
    s.firmware = e.at(0);
    s.algorithm = comm.DeviceAlgorithm;
    const std::optional<std::uint32_t> effect = decimalFromDigits(comm.EffectNumber.toStdString());
    s.effect = effect ? QJsonValue(qint64(*effect)) : QJsonValue(comm.EffectNumber);
    s.effectName = effect ? view_.effectText(int(*effect)) : QString();
    // A reply shorter than the whole leaves the rest at the defaults.
    auto entry = [&](std::size_t i, int fallback) { return i < e.size() ? int(e[i]) : fallback; };
    s.footswitchMode = entry(4, 0);
    s.tuning = entry(5, 0);
    s.semitones = int(std::int8_t(entry(6, 0)));
    s.bypass = entry(22, 0) == 1;
    s.storeBypassStatus = entry(23, 0) == 1;
    s.instrumentRange = entry(24, 255);
    s.midiChannel = entry(25, 0);
    for (int i = 0; i < AssignLists; ++i) {
        s.assignments[AssignmentKeys[i]] = assignmentView_.assignText(AssignList(i));
    }
    const ParameterRecords& records = controller_->fxSettings().records;
    for (const CatalogueEntry& e : ParameterCatalogue()) {
        s.parameters[QString::fromLatin1(e.name)] = records.value(e.param);
    }
    return s;
}

// ---------------------------------------------------------------------------------------------
// Commands

int CliApp::list(CommandArguments& args) {
    QString error;
    if (!args.positionals(error).isEmpty() || !error.isEmpty()) {
        return usage(error.isEmpty() ? QStringLiteral("list takes no arguments.") : error);
    }
    createController();
    D2xxUnit& unit = controller_->unit();
    if (unit.GetFTDeviceCount() != ft::OK) {
        return fail(ExitFailed, QStringLiteral("The USB bridges could not be listed."));
    }
    int listed = 0;
    for (std::uint32_t i = 0; i < unit.FTDeviceCount; ++i) {
        if (unit.GetFTDeviceSerialNo(i) != ft::OK) continue;
        const QString serial = QString::fromStdString(unit.FT_Device_String);
        const QString description = unit.GetFTDeviceDescription(i) == ft::OK
                                        ? QString::fromStdString(unit.FT_Device_String)
                                        : QString();
        print(serial + '\t' + description);
        ++listed;
    }
    if (listed == 0) {
        return fail(ExitNoPedal, QStringLiteral("No pedal found: no USB bridge is connected."));
    }
    return ExitDone;
}

int CliApp::status(CommandArguments& args) {
    const bool json = args.flag("--json");
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (!words.isEmpty()) return usage(QStringLiteral("status takes only --json."));
    if (int r = linkPedal()) return r;
    const QJsonObject o = readSnapshot().toJson();
    if (json) {
        print(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)));
        return ExitDone;
    }
    auto text = [](const QJsonValue& v) {
        if (v.isBool()) return QString(v.toBool() ? "on" : "off");
        if (v.isDouble()) return QString::number(v.toInteger());
        return v.toString();
    };
    print("Firmware: " + text(o["firmware"]));
    print("Algorithm: " + o["algorithm"].toString());
    print("Effect: " + text(o["effect"]) + " (" + o["effect_name"].toString() + ")");
    const std::pair<const char*, const char*> rows[] = {
        {"Footswitch mode", "footswitch_mode"},
        {"Tuning", "tuning"},
        {"Semitones", "semitones"},
        {"Bypass", "bypass"},
        {"Store bypass status", "store_bypass_status"},
        {"Instrument range", "instrument_range"},
        {"MIDI channel", "midi_channel"},
    };
    for (const auto& [label, key] : rows) {
        if (o.contains(key)) print(QString(label) + ": " + text(o[key]));
    }
    const QJsonObject assignments = o["assignments"].toObject();
    const char* const controls[] = {"Control I", "Control II", "Control III", "Control IV",
                                    "Remote footswitch"};
    for (int i = 0; i < AssignLists; ++i) {
        print(QString(controls[i]) + ": " + assignments[AssignmentKeys[i]].toString());
    }
    return ExitDone;
}

int CliApp::bypass(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 1 || (words[0] != "on" && words[0] != "off")) {
        return usage(QStringLiteral("bypass wants on or off."));
    }
    if (int r = linkPedal()) return r;
    if (int r = refuseUnless(view_.effectControlsEnabled())) return r;
    controller_->fxSettings().SendBypass(words[0] == "on");
    print(QStringLiteral("Bypass %1.").arg(words[0]));
    return ExitDone;
}

int CliApp::set(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    const std::optional<SetRequest> request = parseSetRequest(words, error);
    if (!request) return usage(error);
    const CatalogueEntry* entry = request->entry;
    const QString shownName = QString::fromLatin1(entry->name);
    if (int r = linkPedal()) return r;
    if (int r = refuseUnless(view_.effectControlsEnabled())) return r;

    // Each change runs the control's own handler, as when the user changes it in the window.
    FxSettings& fx = controller_->fxSettings();
    FxSettingsView& controls = fx.view();
    const qsizetype messagesBefore = dialogs_.messages().size();
    fx.SendImmediately = true;
    if (request->kind == SetRequest::Angle) {
        controls.showKnobAngle(FxSettings::knobOf(entry->param), request->angle);
        fx.knobChanged(FxSettings::knobOf(entry->param));
    } else if (request->kind == SetRequest::Pitch) {
        controls.showHarmonicPitchEntry(request->pitch + 12);
        fx.harmonicPitchChanged();
    } else if (request->kind == SetRequest::Raw) {
        fx.SendSwitchParameter(request->raw, entry->param);
    } else if (entry->encoding == Encoding::CheckBox) {
        const NoteCut box = entry->param == Param::DominantNotesCut ? NoteCut::chkDominantNoteCut
                                                                    : NoteCut::chkHighNoteCut;
        controls.showNoteCut(box, request->on);
        fx.noteCutChanged(box);
    } else {
        const Switch s = entry->param == Param::Wave           ? Switch::swtWave
                         : entry->param == Param::Split        ? Switch::swtSplit
                         : entry->param == Param::LimitRangeUp ? Switch::swtLimitRange
                                                               : Switch::swtNoiseGateStatus;
        controls.showSwitch(s, request->on);
        fx.switchChanged(s);
    }
    fx.SendImmediately = false;
    const ParameterRecords& records = fx.records;
    print(QStringLiteral("%1 = %2 (address %3)")
              .arg(shownName, QString::fromStdString(hex8(records.value(entry->param))),
                   QString::fromStdString(hex4(records.address(entry->param)))));
    // The note-cut rule turned the box off again and told why.
    if (dialogs_.messages().size() > messagesBefore) return ExitFailed;
    return ExitDone;
}

int CliApp::preset(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 2 || (words[0] != "save" && words[0] != "load")) {
        return usage(QStringLiteral("preset wants save FILE or load FILE."));
    }
    const QString& path = words[1];
    if (words[0] == "load") {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(ExitFailed,
                        QStringLiteral("Cannot read %1: %2.").arg(path, file.errorString()));
        }
    }
    if (int r = linkPedal()) return r;
    if (int r = refuseUnless(view_.effectControlsEnabled())) return r;
    Presets& presets = controller_->presets();
    // The link has just read the values the preset holds.
    const QString failure =
        words[0] == "save" ? presets.WritePresetFile(path) : presets.loadPresetFile(path);
    return failure.isEmpty() ? ExitDone : fail(ExitFailed, failure);
}

int CliApp::checkUpdate(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (!words.isEmpty()) return usage(QStringLiteral("check-update takes no arguments."));
    createController();
    view_.setText(Control::menuNewAppVersion, QStringLiteral("New version available:"));
    view_.setEnabled(Control::menuUpdateNow, false);
    const qsizetype messagesBefore = dialogs_.messages().size();
    UpdateCheck& check = controller_->updateCheck();
    check.checkmostrecentversiononwebsite();
    if (dialogs_.messages().size() > messagesBefore) return ExitFailed;
    if (view_.isEnabled(Control::menuUpdateNow)) {
        print(QStringLiteral("New version available: %1 (this is %2).")
                  .arg(check.NewAppVersion, controller_->EditorVersion));
    } else {
        print(QStringLiteral("No update available (this is %1).").arg(controller_->EditorVersion));
    }
    return ExitDone;
}

int CliApp::upload(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() > 1) return usage(QStringLiteral("upload takes at most one FILE."));
    const bool fromFile = words.size() == 1;
    if (fromFile) {
        QFile file(words[0]);
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(ExitFailed,
                        QStringLiteral("Cannot read %1: %2.").arg(words[0], file.errorString()));
        }
        dialogs_.setFile(QFileInfo(words[0]).absoluteFilePath());
    }
    if (int r = confirmable()) return r;
    if (int r = linkPedal()) return r;
    if (int r = refuseUnless(view_.isEnabled(Control::btnUpload))) return r;
    view_.setText(Control::lblStatus, QString());
    // The status read after the upload takes the pedal's values without sending them back.
    controller_->communication().RequestInProgress = true;
    if (fromFile) {
        controller_->upload().menuLoadAlgorithmFromFileClick();
    } else {
        controller_->upload().btnUploadClick();
    }
    if (int r = confirmationOutcome()) return r;
    const QString answer = view_.text(Control::lblStatus);
    if (answer.isEmpty() || answer == "Upload Failed" || answer == "Uploading...") {
        return fail(ExitFailed, QStringLiteral("The pedal did not answer the upload."));
    }
    print(answer);
    // The pedal says in its answer whether it took the image.
    return answer.contains("ERROR", Qt::CaseInsensitive) ? ExitFailed : ExitDone;
}

int CliApp::firmwareUpgrade(CommandArguments& args) {
    const bool legacy = args.flag("--legacy");
    const bool verify = args.flag("--verify");
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (!words.isEmpty()) {
        return usage(QStringLiteral("firmware-upgrade takes only --legacy and --verify."));
    }
    if (!legacy) {
        if (int r = confirmable()) return r;
    }
    createController();
    CliFirmwareView window(verify);
    FirmwareUpgrade& upgrade = controller_->firmwareUpgrade();
    upgrade.setView(&window);
    Communication& comm = controller_->communication();
    if (legacy) {
        // No firmware number is known yet: Upgrade Mode takes the legacy way, and the link then
        // reaches the bootloader instead of asking for the status.
        upgrade.menuFirmwareUpgradeModeClick();
        if (int r = linkPedal(LinkFor::Bootloader)) return r;
        if (!comm.BootloaderReached) {
            return fail(ExitFailed, QStringLiteral("Connection to bootloader failed"));
        }
    } else {
        if (int r = linkPedal()) return r;
        const std::optional<std::uint32_t> firmware =
            decimalFromDigits(comm.DeviceFirmware.toStdString());
        if (!firmware || *firmware < 9) {
            return fail(ExitFailed,
                        QStringLiteral("The pedal's firmware %1 cannot enter its bootloader on "
                                       "request; start it with SHIFT held and use --legacy.")
                            .arg(comm.DeviceFirmware));
        }
        upgrade.menuFirmwareUpgradeModeClick();
        if (int r = confirmationOutcome()) return r;
        if (!window.opened()) {
            return fail(ExitFailed, QStringLiteral("Connection to bootloader failed"));
        }
    }
    // The status read after the restart takes the pedal's values without sending them back.
    comm.RequestInProgress = true;
    upgrade.btnUpgradeFirmwareClick();
    window.hideWindow();
    if (!upgrade.lastError().isEmpty()) return fail(ExitFailed, upgrade.lastError());
    print(QStringLiteral("Firmware upgraded to %1.").arg(upgrade.FirmwareVersion));
    return ExitDone;
}

int CliApp::backup(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 1) return usage(QStringLiteral("backup wants the FILE to write."));
    if (int r = linkPedal()) return r;
    const QByteArray json = QJsonDocument(readSnapshot().toJson()).toJson(QJsonDocument::Indented);
    // Written whole or not at all: an earlier backup of that name survives a failed write.
    QSaveFile file(words[0]);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        return fail(ExitFailed,
                    QStringLiteral("Cannot write %1: %2.").arg(words[0], file.errorString()));
    }
    print(QStringLiteral("Backup written to %1.").arg(words[0]));
    return ExitDone;
}

int CliApp::raw(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 2) return usage(QStringLiteral("raw wants ADDRESS and DATA."));
    const std::optional<QString> address = hexDigits(words[0], 4);
    const std::optional<QString> data = hexDigits(words[1], 8);
    // A shorter text would send stale bytes of an earlier message with it.
    if (!address) return usage(QStringLiteral("ADDRESS must be 4 hex digits, e.g. 000B."));
    if (!data) return usage(QStringLiteral("DATA must be 8 hex digits, e.g. 007FE000."));
    if (int r = linkPedal()) return r;
    if (!controller_->consoleTools().rawSend(*address, *data)) {
        return fail(ExitFailed, QStringLiteral("Nothing was sent."));
    }
    print(QStringLiteral("Sent 01%1%2.").arg(*address, *data));
    return ExitDone;
}

int CliApp::eeprom(CommandArguments& args) {
    QString error;
    const std::optional<QString> given = args.option("--address", error);
    if (!error.isEmpty()) return usage(error);
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 1 || (words[0] != "erase" && words[0] != "read")) {
        return usage(QStringLiteral("eeprom wants erase or read."));
    }
    const QString address = given.value_or(QStringLiteral("50"));
    if (address != "50" && address != "51") {
        return usage(QStringLiteral("--address wants 50 or 51."));
    }
    const bool erase = words[0] == "erase";
    if (erase) {
        if (int r = confirmable()) return r;
    }
    if (int r = linkPedal()) return r;
    consoleView_.address = address;
    ConsoleTools& tools = controller_->consoleTools();
    tools.setView(&consoleView_);
    if (erase) {
        tools.btnEraseEepromClick();
        if (int r = confirmationOutcome()) return r;
        print(QStringLiteral("Settings memory at %1 erased.").arg(address));
        return ExitDone;
    }
    const qsizetype before = dialogs_.messages().size();
    tools.btnReadEEPROMClick();
    return awaitMemoryCheck(before);
}

int CliApp::eraseSettings(CommandArguments& args) {
    const bool check = args.flag("--check");
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (!words.isEmpty()) return usage(QStringLiteral("erase-settings takes only --check."));
    if (int r = confirmable()) return r;
    if (int r = linkPedal()) return r;
    // The memory check is the flag's to decide, not the terminal's nor --yes's.
    dialogs_.setAnswer(EraseSettings::CheckQuestion, check);
    const qsizetype before = dialogs_.messages().size();
    controller_->eraseSettings().menuEraseSettingsClick();
    if (int r = confirmationOutcome()) return r;
    print(QStringLiteral("Settings memory erased."));
    return check ? awaitMemoryCheck(before) : ExitDone;
}

int CliApp::awaitMemoryCheck(qsizetype messagesBefore) {
    // The dump is collected by the poll; its verdict is the next message.
    const bool judged = clock_.waitUntil(
        [&] { return dialogs_.messages().size() > messagesBefore; }, MemoryCheckLimitMs);
    if (!judged) return fail(ExitFailed, QStringLiteral("The pedal sent no memory dump."));
    const QString verdict = dialogs_.messages().last();
    return verdict == EraseSettings::EmptyMessage ? ExitDone : ExitFailed;
}

int CliApp::coefficients(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    const std::optional<CoefficientRequest> request = parseCoefficientRequest(words, error);
    if (!request) return usage(error);
    const auto& names = filter::noteNames();
    const double frequency = filter::CalcNoteFrequency(request->note - filter::ReferenceIndex);
    const auto lines = filter::coefficientTable(names[std::size_t(request->note)], frequency,
                                                request->q, request->gain);
    if (!lines) {
        return fail(ExitFailed, QStringLiteral("The filter cannot be computed for this note, gain "
                                               "and Q."));
    }
    for (const std::string& line : *lines) print(QString::fromStdString(line));
    return ExitDone;
}

// ---------------------------------------------------------------------------------------------
// Reporting

int CliApp::confirmable() {
    if (dialogs_.canConfirm()) return ExitDone;
    return fail(ExitUsage, ConfirmationNeeded);
}

int CliApp::confirmationOutcome() {
    if (dialogs_.confirmationRefused()) return fail(ExitUsage, ConfirmationNeeded);
    if (dialogs_.declined()) return fail(ExitFailed, QStringLiteral("Cancelled."));
    return ExitDone;
}

int CliApp::fail(int status, const QString& sentence) {
    // The operation may have said it already, as the editor's message box would.
    if (dialogs_.messages().isEmpty() || dialogs_.messages().last() != sentence) {
        writeTo(stderr, sentence);
    }
    return status;
}

int CliApp::usage(const QString& sentence) {
    writeTo(stderr, sentence + ' ' + usageHint());
    return ExitUsage;
}

void CliApp::print(const QString& text) {
    writeTo(stdout, text);
}

}  // namespace korvanne
