#include "operations/backup_commands.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>

#include "core/consenting_dialogs.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/status_reply.h"
#include "effect/parameter_catalogue.h"
#include "effect/parameter_store.h"

namespace korvanne {

namespace {
constexpr std::size_t WholeStatusReply = status_entry::ParameterValues + 4 * ParameterCount;
}  // namespace

BackupCommands::BackupCommands(Services& services, ConsentingDialogs& consent,
                               DeviceMessages& messages, Communication& link, ParameterStore& store,
                               std::function<PedalBackup()> backup)
    : services_(services),
      consent_(consent),
      messages_(messages),
      link_(link),
      store_(store),
      backup_(std::move(backup)) {}

Outcome BackupCommands::sendChanges(const PedalSnapshot& wanted) {
    const ConsentingDialogs::Agreement agreed(consent_);
    return backup_().restore(wanted, false, {});
}

QString BackupCommands::backupFolder() const {
    // Beside the presets; the dialog starts in the product folder when that is not made yet.
    const QString presets = services_.home.presetFolder();
    return QFileInfo::exists(presets) ? presets : services_.home.productFolder();
}

Outcome BackupCommands::readPedal(const QString& command) {
    DeviceMessages::Exchange exchange(messages_, command);
    if (!exchange) return Outcome::busy();
    link_.RequestInProgress = true;
    const auto readEnds = qScopeGuard([this] { link_.RequestInProgress = false; });
    messages_.received_bytes_array.clear();
    link_.ReadDeviceStatus();
    if (!link_.Linked || messages_.received_bytes_array.size() < WholeStatusReply) {
        return Outcome::failed(
            QStringLiteral("%1: the pedal's state could not be read.").arg(command));
    }
    return Outcome::done();
}

Outcome BackupCommands::menuBackUpPedalClick() {
    if (!messages_.linkFree(BackUpTitle)) return Outcome::busy();
    const QString path =
        services_.dialogs.saveFile(BackUpTitle, Filter, QStringLiteral("json"), backupFolder());
    if (path.isEmpty()) return Outcome::cancelled();
    // What the pedal holds now, not what the last read saw.
    if (Outcome read = readPedal(BackUpTitle); !read.ok()) return read;
    Outcome written = backup_().backup(path);
    if (!written.ok()) services_.dialogs.warn(written.sentence);
    return written;
}

QString BackupCommands::restoreQuestion(const QString& path,
                                        const std::vector<PedalBackup::Change>& changes) {
    QString text = QStringLiteral("Restore the pedal from %1? These settings change:\n")
                       .arg(QDir::toNativeSeparators(path));
    for (const PedalBackup::Change& change : changes) text += '\n' + change.line();
    return text;
}

Outcome BackupCommands::menuRestorePedalClick() {
    if (!messages_.linkFree(RestoreTitle)) return Outcome::busy();
    Dialogs& dialogs = services_.dialogs;
    const QString path =
        dialogs.openFile(RestoreTitle, Filter, QStringLiteral("json"), backupFolder());
    if (path.isEmpty()) return Outcome::cancelled();
    // The whole file is judged before the pedal is touched: a bad one sends nothing.
    PedalBackup backup = backup_();
    PedalSnapshot wanted;
    if (Outcome read = backup.read(path, wanted); !read.ok()) {
        dialogs.warn(read.sentence);
        return read;
    }
    if (Outcome read = readPedal(RestoreTitle); !read.ok()) return read;
    const std::vector<PedalBackup::Change> changes = backup.plan(wanted);
    if (changes.empty()) {
        const QString same = QStringLiteral("The pedal already holds the backup's settings.");
        dialogs.inform(same);
        return Outcome::done(same);
    }
    if (!dialogs.confirm(restoreQuestion(path, changes), Dialogs::Default::No)) {
        return Outcome::cancelled();
    }
    const PedalSnapshot before = backup.snapshot();
    Outcome restored = sendChanges(wanted);
    // Storing asks its own question, as "Save Parameters" does.
    if (restored.ok()) restored = store_.btnSaveParametersClick();
    if (!restored.ok() && restored.kind != Outcome::Cancelled) dialogs.warn(restored.sentence);
    // The controls show what the pedal holds now, whatever happened; a restore that stopped
    // half way is undone as well as a whole one.
    const Outcome reread = readPedal(RestoreTitle);
    if (onRestored) onRestored(before, wanted);
    if (restored.kind == Outcome::Cancelled) {
        return Outcome::done(
            QStringLiteral("Pedal restored from %1; the parameters are not stored.")
                .arg(QFileInfo(path).fileName()));
    }
    if (!restored.ok()) return restored;
    if (!reread.ok()) return reread;
    return Outcome::done(QStringLiteral("Pedal restored from %1 and its parameters stored.")
                             .arg(QFileInfo(path).fileName()));
}

Outcome BackupCommands::bringTo(const PedalSnapshot& wanted) {
    if (!messages_.linkFree(RestoreTitle)) return Outcome::busy();
    if (Outcome read = readPedal(RestoreTitle); !read.ok()) return read;
    const Outcome restored = sendChanges(wanted);
    const Outcome reread = readPedal(RestoreTitle);
    if (!restored.ok()) return restored;
    return reread;
}

}  // namespace korvanne
