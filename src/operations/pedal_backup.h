#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "core/outcome.h"
#include "operations/pedal_snapshot.h"

namespace korvanne {

class Communication;
class ControlAssignments;
class DeviceMessages;
class FxSettings;
class ParameterStore;
class PedalSettings;
class Tunings;

// Backup and restore of a linked pedal's settings. A backup is what the last status read brought
// back, written as JSON; a restore brings a pedal to a backup by sending only what differs, each
// through the operation the editor's own control runs, then saves the parameters in the pedal.
class PedalBackup {
public:
    struct Parts {
        Communication& link;
        DeviceMessages& messages;  // the last status reply's entries
        ControlAssignments& assignments;
        Tunings& tunings;
        PedalSettings& settings;
        FxSettings& fx;
        ParameterStore& store;
        std::function<QString(int)> effectName;  // the effect list's entry, empty when none
    };
    // Told of each setting a restore changes: its key as a backup names it, old and new value.
    using ChangeReport =
        std::function<void(const QString& key, const QString& from, const QString& to)>;

    explicit PedalBackup(Parts parts) : p_(std::move(parts)) {}

    // Asked before a restore, with No as the default: it overwrites the pedal's settings.
    static QString restoreQuestion(const QString& path) {
        return "Restore the pedal's settings from " + path +
               "? Every setting that differs from the backup is overwritten.";
    }

    // The state the last status read brought back.
    PedalSnapshot snapshot() const;
    // Writes snapshot() to `path`, whole or not at all: an earlier file of that name survives a
    // failed write.
    Outcome backup(const QString& path) const;
    // Reads the backup at `path` into `wanted` and judges it whole (its assignments included)
    // before the pedal is touched: Failed says what is wrong with it.
    Outcome read(const QString& path, PedalSnapshot& wanted) const;
    // Brings the pedal to `wanted`; with `store`, finishes with "Save Parameters". Done says
    // when nothing differed.
    Outcome restore(const PedalSnapshot& wanted, bool store, const ChangeReport& changed);

    // One setting a restore would change, as a person reads it ("Dry", "00400000", "007FE000").
    struct Change {
        QString label;
        QString from;
        QString to;
        QString line() const { return label + ": " + from + " -> " + to; }
    };
    // What restore(wanted) would change on the pedal the last status read described, in the
    // order it sends them; empty when the pedal already holds `wanted`.
    std::vector<Change> plan(const PedalSnapshot& wanted) const;

private:
    Parts p_;
};

}  // namespace korvanne
