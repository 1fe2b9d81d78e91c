#include "cli/cli_app.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <cmath>
#include <cstdio>

#include "cli/cli_firmware_view.h"
#include "cli/value_parsing.h"
#include "console/console_tools.h"
#include "console/filter_coefficients.h"
#include "core/decimal_digits.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/ft_error_text.h"
#include "device/hex_text.h"
#include "effect/control_assignments.h"
#include "effect/fx_settings.h"
#include "effect/parameter_catalogue.h"
#include "effect/shown_values.h"
#include "operations/local_settings.h"
#include "operations/pedal_backup.h"
#include "operations/pedal_operations.h"
#include "operations/presets.h"
#include "transfer/algorithm_upload.h"
#include "transfer/erase_settings.h"
#include "transfer/firmware_upgrade.h"
#include "update/update_check.h"

namespace korvanne {

namespace {

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

bool TerminalShell::openUrl(const QString& url) {
    writeTo(out_, url);
    return true;
}

CliApp::CliApp(QStringList words, CliServices services)
    : words_(std::move(words)),
      io_(std::move(services)),
      log_(io_.log),
      dialogs_(io_.dialogs),
      clock_(io_.clock),
      frontEnd_([this] { return operations_->catalogue.effectNames(); },
                [this] { operations_->fxSettings().FormShow(); }) {}

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
    QString parseError;
    std::optional<CommandLine> parsed = parseCommandLine(words_, parseError);
    if (!parsed) return usage(parseError);
    line_ = std::move(*parsed);
    const GlobalOptions& o = line_.options;
    dialogs_.setAssumeYes(o.yes);
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

void CliApp::composeOperations() {
    if (operations_) return;
    transport_ = io_.makeTransport(line_.options);
    services_.reset(new Services{log_, dialogs_, clock_, io_.shell, io_.home, *transport_});
    operations_ = std::make_unique<PedalOperations>(*services_, frontEnd_);

    PedalOperations& c = *operations_;
    if (ResourceLoad load = c.prepare(); !load.ok()) dialogs_.inform(load.error);

    // The assignment lists take what the link reads, as the effect window's lists do.
    ControlAssignments& assignments = c.controlAssignments();
    assignmentView_.onChange = [&assignments](AssignList list) {
        assignments.assignOnChange(list);
    };
    assignments.setView(&assignmentView_);
    assignments.FormCreate();
}

int CliApp::linkPedal(LinkFor purpose) {
    composeOperations();
    const GlobalOptions& o = line_.options;
    D2xxUnit& unit = operations_->unit();
    // Which pedal is missing is said below in one sentence, not per failed call.
    unit.ErrorReportEnabled = false;

    if (!o.port.isEmpty() && !QFileInfo::exists(o.port)) {
        return fail(ExitNoPedal,
                    QStringLiteral("No pedal found: there is no port %1.").arg(o.port));
    }
    Communication& comm = operations_->communication();
    QStringList serials;
    QStringList descriptions;
    for (const Bridge& bridge : comm.listBridges().value_or(std::vector<Bridge>{})) {
        serials << bridge.serial;
        descriptions << bridge.description;
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

    comm.DeviceSerial = serials[chosen];
    // The link opens the bridge its device name and serial number say.
    frontEnd_.setDeviceName(descriptions[chosen]);
    // A failed open is said below in one sentence of the command line's own.
    dialogs_.holdMessages();
    comm.Link();
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
    if (operations_->messages().received_bytes_array.size() < 4) {
        return fail(ExitFailed, Communication::NoAnswerMessage);
    }
    return ExitDone;
}

void CliApp::unlink() {
    if (!linked_ || !operations_) return;
    linked_ = false;
    operations_->communication().menuDisconnectClick();
}

int CliApp::refuseUnlessReady(bool needsCurrentAlgorithm) {
    const Communication& comm = operations_->communication();
    if (comm.firmwareTooOld()) {
        return fail(ExitFailed, QStringLiteral("The pedal's firmware %1 is too old for this; "
                                               "upgrade it first (korvanne-cli firmware-upgrade).")
                                    .arg(comm.DeviceFirmware));
    }
    if (needsCurrentAlgorithm && comm.algorithmTooOld()) {
        const QString latest = QStringLiteral("%1").arg(
            operations_->catalogue.LatestAlgorithmNumber, 4, 10, QChar('0'));
        return fail(ExitFailed, QStringLiteral("The pedal runs algorithm %1, older than %2; upload "
                                               "the current one first (korvanne-cli upload).")
                                    .arg(comm.DeviceAlgorithm, latest));
    }
    return ExitDone;
}

int CliApp::report(const Outcome& outcome) {
    switch (outcome.kind) {
        case Outcome::Done:
            if (!outcome.sentence.isEmpty()) print(outcome.sentence);
            return ExitDone;
        case Outcome::Cancelled:
            if (int r = confirmationOutcome()) return r;
            return fail(ExitFailed, QStringLiteral("Cancelled."));
        case Outcome::Refused:
        case Outcome::Failed:
            break;
    }
    return fail(ExitFailed, outcome.sentence);
}

PedalBackup CliApp::pedalBackup() {
    return operations_->pedalBackup();
}

// ---------------------------------------------------------------------------------------------
// Commands

int CliApp::list(CommandArguments& args) {
    QString error;
    if (!args.positionals(error).isEmpty() || !error.isEmpty()) {
        return usage(error.isEmpty() ? QStringLiteral("list takes no arguments.") : error);
    }
    composeOperations();
    const std::optional<std::vector<Bridge>> bridges = operations_->communication().listBridges();
    if (!bridges) return fail(ExitFailed, QStringLiteral("The USB bridges could not be listed."));
    for (const Bridge& bridge : *bridges) print(bridge.serial + '\t' + bridge.description);
    if (bridges->empty()) {
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
    const QJsonObject o = pedalBackup().snapshot().toJson();
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
    // The nineteen parameters as the effect window shows them.
    const QJsonObject raw = o["parameters"].toObject();
    const QJsonObject shown = o[QLatin1String(ParametersShownKey)].toObject();
    for (const CatalogueEntry& e : ParameterCatalogue()) {
        const QString name = QString::fromLatin1(e.name);
        const QJsonValue value = shown[name];
        print(name + ": " +
              (value.isString() ? value.toString()
                                : QStringLiteral("not a value the effect window shows (%1)")
                                      .arg(raw[name].toString())));
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
    if (int r = refuseUnlessReady(false)) return r;
    operations_->fxSettings().SendBypass(words[0] == "on");
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
    if (int r = refuseUnlessReady(false)) return r;

    // Each change runs the control's own handler, as when the user changes it in the window.
    FxSettings& fx = operations_->fxSettings();
    Outcome outcome;
    if (request->kind == SetRequest::Raw) {
        fx.SendSwitchParameter(request->raw, entry->param);
    } else if (request->kind == SetRequest::Angle) {
        outcome = fx.changeNow(entry->param, request->angle);
    } else if (request->kind == SetRequest::Pitch) {
        outcome = fx.changeNow(entry->param, request->pitch + 12);
    } else {
        outcome = fx.changeNow(entry->param, request->setting);
    }
    const ParameterRecords& records = fx.records;
    // What the effect window's control shows now, beside the value written; a raw value is
    // written as it is and shown only as written.
    QString shown;
    if (request->kind != SetRequest::Raw) {
        const FxSettingsView& view = fx.view();
        int setting = request->kind == SetRequest::Pitch ? request->pitch + 12 : request->setting;
        if (entry->encoding == Encoding::Knob) {
            setting = view.knobAngle(FxSettings::knobOf(entry->param));
        } else if (entry->encoding == Encoding::CheckBox) {
            setting = view.noteCutChecked(entry->param == Param::DominantNotesCut
                                              ? NoteCut::chkDominantNoteCut
                                              : NoteCut::chkHighNoteCut);
        }
        shown = ": " + QString::fromStdString(shownText(*entry, setting));
    }
    print(QStringLiteral("%1%2 = %3 (address %4)")
              .arg(shownName, shown, QString::fromStdString(hex8(records.value(entry->param))),
                   QString::fromStdString(hex4(records.address(entry->param)))));
    return report(outcome);
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
    if (int r = refuseUnlessReady(false)) return r;
    Presets& presets = operations_->presets();
    // The link has just read the values the preset holds.
    return report(words[0] == "save" ? presets.WritePresetFile(path)
                                     : presets.loadPresetFile(path));
}

int CliApp::checkUpdate(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (!words.isEmpty()) return usage(QStringLiteral("check-update takes no arguments."));
    composeOperations();
    const Outcome outcome = operations_->updateCheck().checkmostrecentversiononwebsite();
    if (!outcome.ok()) return report(outcome);
    print(QStringLiteral("%1 (this is %2).").arg(outcome.sentence, operations_->EditorVersion));
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
        // A file that is not an algorithm image is refused before the pedal is even linked.
        QByteArray bytes;
        if (const Outcome read = AlgorithmUpload::readImageFile(words[0], bytes); !read.ok()) {
            return report(read);
        }
        dialogs_.setFile(QFileInfo(words[0]).absoluteFilePath());
    }
    if (int r = confirmable()) return r;
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(false)) return r;
    AlgorithmUpload& upload = operations_->upload();
    return report(fromFile ? upload.menuLoadAlgorithmFromFileClick() : upload.btnUploadClick());
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
    composeOperations();
    CliFirmwareView window(verify, io_.err, io_.errIsTerminal);
    FirmwareUpgrade& upgrade = operations_->firmwareUpgrade();
    upgrade.setView(&window);
    // The window ends with this command; the upgrade (told of the unlink at the end) must not
    // keep it.
    struct ViewBack {
        FirmwareUpgrade& upgrade;
        ~ViewBack() { upgrade.setView(nullptr); }
    } viewBack{upgrade};
    Communication& comm = operations_->communication();
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
        if (!FirmwareUpgrade::entersBootloaderOnRequest(comm.DeviceFirmware)) {
            return fail(ExitFailed,
                        QStringLiteral("The pedal's firmware %1 cannot enter its bootloader on "
                                       "request; start it with SHIFT held and use --legacy.")
                            .arg(comm.DeviceFirmware));
        }
        const Outcome entered = upgrade.menuFirmwareUpgradeModeClick();
        if (!entered.ok()) return report(entered);
    }
    const Outcome upgraded = upgrade.btnUpgradeFirmwareClick();
    window.hideWindow();
    if (!upgraded.ok()) return report(upgraded);
    print(QStringLiteral("Firmware upgraded to %1.").arg(upgrade.FirmwareVersion));
    return ExitDone;
}

int CliApp::backup(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 1) return usage(QStringLiteral("backup wants the FILE to write."));
    if (int r = linkPedal()) return r;
    return report(pedalBackup().backup(words[0]));
}

int CliApp::restore(CommandArguments& args) {
    const bool noStore = args.flag("--no-store");
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 1) return usage(QStringLiteral("restore wants the backup FILE to read."));
    // The file is judged whole before the pedal is touched, so a bad one sends nothing.
    composeOperations();
    PedalSnapshot wanted;
    if (int r = report(pedalBackup().read(words[0], wanted))) return r;
    if (int r = confirmable()) return r;
    if (!dialogs_.confirm(PedalBackup::restoreQuestion(words[0]), Dialogs::Default::No)) {
        return confirmationOutcome();
    }
    if (int r = linkPedal()) return r;
    if (int r = refuseUnlessReady(false)) return r;
    const auto changed = [this](const QString& key, const QString& from, const QString& to) {
        print(QStringLiteral("%1: %2 -> %3").arg(key, from, to));
    };
    return report(pedalBackup().restore(wanted, !noStore, changed));
}

int CliApp::raw(CommandArguments& args) {
    QString error;
    const QStringList words = args.positionals(error);
    if (!error.isEmpty()) return usage(error);
    if (words.size() != 2) return usage(QStringLiteral("raw wants ADDRESS and DATA."));
    // Written as the console's raw send takes them: upper case, without a 0x.
    const auto digits = [](QString text) {
        if (text.startsWith("0x", Qt::CaseInsensitive)) text = text.mid(2);
        return text.toUpper();
    };
    const QString address = digits(words[0]);
    const QString data = digits(words[1]);
    QString why;
    if (!ConsoleTools::rawMessage(address, data, &why)) return usage(why);
    if (int r = linkPedal()) return r;
    return report(operations_->consoleTools().rawSend(address, data));
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
    ConsoleTools& tools = operations_->consoleTools();
    tools.setView(&consoleView_);
    if (erase) return report(tools.btnEraseEepromClick());
    if (int r = report(tools.btnReadEEPROMClick())) return r;
    return awaitMemoryCheck();
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
    if (int r = report(operations_->eraseSettings().menuEraseSettingsClick())) return r;
    return check ? awaitMemoryCheck() : ExitDone;
}

int CliApp::awaitMemoryCheck() {
    // The dump is collected by the poll; the memory check gives its verdict once it is whole.
    const EraseSettings& check = operations_->eraseSettings();
    const bool judged = clock_.waitUntil([&] { return check.memoryCheckVerdict().has_value(); },
                                         MemoryCheckLimitMs);
    if (!judged) return fail(ExitFailed, QStringLiteral("The pedal sent no memory dump."));
    // The verdict has been told already, as the editor's message box tells it.
    return check.memoryCheckVerdict()->ok() ? ExitDone : ExitFailed;
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
        writeTo(io_.err, sentence);
    }
    return status;
}

int CliApp::usage(const QString& sentence) {
    writeTo(io_.err, sentence + ' ' + usageHint());
    return ExitUsage;
}

void CliApp::print(const QString& text) {
    writeTo(io_.out, text);
}

}  // namespace korvanne
