#pragma once

#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace korvanne {

// The pedal's state as `status --json` prints it and `backup` writes it: what a status reply
// reports, with the parameters by their catalogue names.
struct PedalSnapshot {
    int firmware = 0;
    QString algorithm;  // four digits
    QJsonValue effect;  // the number, or the text when it is not decimal
    QString effectName;
    int footswitchMode = 0;
    int tuning = 0;
    int semitones = 0;
    std::map<QString, QString> assignments;  // control1..control4, remote: the entry texts
    bool bypass = false;
    bool bypassKnown = true;  // a backup may leave the bypass out
    bool storeBypassStatus = false;
    int instrumentRange = 255;  // msg::RangeStandard, msg::RangeLow, or what the pedal reported
    int midiChannel = 0;        // 0 OMNI, 1 to 16, or what the pedal reported
    std::map<QString, std::uint32_t> parameters;  // catalogue name -> value

    // The JSON of `status --json` and of a backup. Each parameter is under "parameters" as the
    // 8 hex digits the pedal reported, what a restore works from, and under "parameters_shown"
    // as the effect window shows it ("6.5", "on", "-11"; null when the window shows no value of
    // its own for it).
    QJsonObject toJson() const;
};

inline constexpr char ParametersShownKey[] = "parameters_shown";

struct CatalogueEntry;
// A parameter's shown value in the JSON: its text, or null.
QJsonValue shownJson(const CatalogueEntry& entry, std::uint32_t value);

// Reads a backup written by `backup`, with or without "parameters_shown" (backups written before
// it existed have none). Anything that is not such a file gives nothing and one sentence in
// `error` saying what is wrong with it; shown values that disagree with the raw ones included.
std::optional<PedalSnapshot> snapshotFromJson(const QByteArray& bytes, QString& error);

// The keys of the assignments object, in the order of the pedal's controls.
inline const char* const AssignmentKeys[] = {"control1", "control2", "control3", "control4",
                                             "remote"};

}  // namespace korvanne
