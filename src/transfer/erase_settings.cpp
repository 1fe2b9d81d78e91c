#include "transfer/erase_settings.h"

#include "console/console_tools.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/link_context.h"

namespace korvanne {

namespace {

const QString SettingsMemoryAddress = QStringLiteral("50");

QString hexByte(std::uint8_t b) {
    static constexpr char digits[] = "0123456789ABCDEF";
    const QChar pair[2] = {QLatin1Char(digits[b >> 4]), QLatin1Char(digits[b & 0xF])};
    return QString(pair, 2);
}

}  // namespace

QString EraseSettings::Warning() {
    return QStringList{
        "Are you sure you want to delete all settings?",
        "This action will delete the Korvanne MK3 algorithm and any other settings like presets "
        "and assignments",
        "Erase settings is suggested in the following cases:",
        "- the pedal is unresponsive/freezed after updates",
        "- you want to switch to the Lumor X MultiEfx",
        "If you proceed with erasing you can always restore algorithm by:",
        "- uploading the Korvanne MK3 algorithm once again from \"Upload Selected\" button",
        "- click Request",
        "- set tuning and assignments as desired",
        "- click Save Parameters, Set Tuning, Assign",
    }
        .join("\r\n");
}

QString EraseSettings::IncompleteMessage(std::size_t received) {
    return QStringLiteral("Memory check failed: the pedal sent %1 of 16,384 bytes").arg(received);
}

EraseSettings::EraseSettings(LinkContext& main, Communication& link, ConsoleTools& tools)
    : main_(main), link_(link), tools_(tools), quietLimit_(main.services().clock.createTimer()) {
    quietLimit_->setSingleShot(true);
    quietLimit_->setInterval(DumpQuietLimitMs);
    quietLimit_->onTimeout([this] { quietLimitPassed(); });
    link_.onPolledBytes = [this](const std::vector<std::uint8_t>& read) { CheckMemoryDump(read); };
}

EraseSettings::~EraseSettings() = default;

Outcome EraseSettings::menuEraseSettingsClick() {
    DeviceMessages& messages = main_.messages();
    Dialogs& dialogs = main_.services().dialogs;
    const Outcome erased = Outcome::done(QStringLiteral("Settings memory erased."));
    const QString name = QStringLiteral("Erase Settings");
    if (!messages.linkFree(name)) return Outcome::busy();
    if (!dialogs.confirm(Warning(), Dialogs::Default::No)) return Outcome::cancelled();
    {
        // The whole command is one exchange: the window stays live through its pauses, but no
        // other command reaches the pedal and the poll leaves the dump until it is all there.
        DeviceMessages::Exchange exchange(messages, name);
        if (!exchange) return Outcome::busy();
        if (!tools_.EraseEEPROM(SettingsMemoryAddress)) {
            return Outcome::failed(QStringLiteral("The erase could not be sent."));
        }
        exchange.pause(EraseSettleMs);
        if (!dialogs.confirm(CheckQuestion)) return erased;
        if (!tools_.ReadEEPROM(SettingsMemoryAddress).ok()) return erased;
        awaitingDump_ = true;
        verdict_.reset();
        quietLimit_->start();
    }
    // The poll may not be running (an older algorithm stops it): read what has arrived once, so
    // the check the user asked for still gets its dump.
    if (!main_.Timer_USB_Read().isActive()) link_.PeriodicRead();
    return erased;
}

void EraseSettings::CheckMemoryDump(const std::vector<std::uint8_t>& read) {
    const std::size_t before = dump_.content().size();
    const bool wasCollecting = dump_.collecting();
    const MemoryDumpCollector::Step step = dump_.feed(read);
    if (step == MemoryDumpCollector::Step::Ignored) return;
    awaitingDump_ = false;
    logContent(wasCollecting ? before : 0);
    if (step == MemoryDumpCollector::Step::Collecting) {
        quietLimit_->start();
        return;
    }
    quietLimit_->stop();
    judge();
}

void EraseSettings::logContent(std::size_t from) {
    LogSink& log = main_.services().log;
    const std::vector<std::uint8_t>& content = dump_.content();
    for (std::size_t i = from; i < content.size(); ++i) {
        log.ConsoleLog(QString::number(i) + QLatin1String(": ") + hexByte(content[i]));
    }
}

void EraseSettings::judge() {
    const bool empty = dump_.erased();
    if (dump_.surplus() > 0) {
        main_.services().log.ConsoleLog(
            QStringLiteral("%1 bytes after the memory dump ignored").arg(dump_.surplus()));
    }
    dump_.reset();
    verdict_ = empty ? Outcome::done(EmptyMessage) : Outcome::failed(NotEmptyMessage);
    main_.services().dialogs.inform(verdict_->sentence);
}

void EraseSettings::quietLimitPassed() {
    if (!dump_.collecting() && !awaitingDump_) return;
    // While another exchange holds the link the poll does not read: the rest may be waiting.
    if (!main_.messages().linkFree()) {
        quietLimit_->start();
        return;
    }
    const std::size_t received = dump_.content().size();
    dump_.reset();
    awaitingDump_ = false;
    verdict_ = Outcome::failed(IncompleteMessage(received));
    main_.services().log.ConsoleLog(verdict_->sentence);
    main_.services().dialogs.inform(verdict_->sentence);
}

}  // namespace korvanne
