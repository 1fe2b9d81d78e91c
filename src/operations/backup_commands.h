#pragma once

#include <QString>
#include <functional>

#include "core/outcome.h"
#include "operations/pedal_backup.h"

namespace korvanne {

class Communication;
class ConsentingDialogs;
class DeviceMessages;
class ParameterStore;
struct Services;

// "Back Up Pedal..." and "Restore Pedal...": the backup file korvanne-cli's `backup` writes and
// `restore` reads, chosen with a file dialog. A restore judges the whole file first, reads the
// pedal, shows every change it will make and asks before sending, then offers to store the
// parameters as "Save Parameters" does.
class BackupCommands {
public:
    static inline const QString BackUpTitle = QStringLiteral("Back Up Pedal");
    static inline const QString RestoreTitle = QStringLiteral("Restore Pedal");
    static inline const QString Filter = QStringLiteral("Pedal backups (*.json)|*.json");

    // `backup` gives the restore operation over the composed operations; `consent` takes the
    // Yes given to the listed changes for each operation's own question.
    BackupCommands(Services& services, ConsentingDialogs& consent, DeviceMessages& messages,
                   Communication& link, ParameterStore& store, std::function<PedalBackup()> backup);

    Outcome menuBackUpPedalClick();
    Outcome menuRestorePedalClick();

    // Brings the pedal to `wanted` without storing or asking, then reads it back so every
    // control shows what it holds: a restore undone or done again.
    Outcome bringTo(const PedalSnapshot& wanted);

    // Told after a restore sent its changes: the pedal's state before it and the backup's.
    std::function<void(const PedalSnapshot& before, const PedalSnapshot& after)> onRestored;

    // The question before a restore: the file and the changes, one a line.
    static QString restoreQuestion(const QString& path,
                                   const std::vector<PedalBackup::Change>& changes);

private:
    // Reads the pedal's whole state as "Request" does, sending nothing back.
    Outcome readPedal(const QString& command);
    QString backupFolder() const;

    // Sends what differs from `wanted`, every operation's question answered by the one Yes.
    Outcome sendChanges(const PedalSnapshot& wanted);

    Services& services_;
    ConsentingDialogs& consent_;
    DeviceMessages& messages_;
    Communication& link_;
    ParameterStore& store_;
    std::function<PedalBackup()> backup_;
};

}  // namespace korvanne
