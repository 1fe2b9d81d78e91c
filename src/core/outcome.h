#pragma once

#include <QString>

namespace korvanne {

// What a command did, for the front end to show: the editor's windows may ignore it (they show
// the same thing through their own controls), korvanne-cli prints it and maps it to its exit
// status.
struct Outcome {
    enum Kind {
        Done,       // it happened; `sentence` says what the user is told, if anything
        Refused,    // it did not start (busy link, a rule, a pedal not ready): why
        Failed,     // it started and went wrong: the sentence
        Cancelled,  // the user said No or closed a dialog
    };
    Kind kind = Done;
    QString sentence;

    static Outcome done(QString s = {}) { return {Done, std::move(s)}; }
    static Outcome refused(QString s) { return {Refused, std::move(s)}; }
    static Outcome failed(QString s) { return {Failed, std::move(s)}; }
    static Outcome cancelled() { return {Cancelled, {}}; }
    // Why the link's door refuses a command while another one talks to the pedal: the one
    // wording, for the log and for the user.
    static inline const QString BusyReason =
        QStringLiteral("another exchange with the pedal is in progress");
    static Outcome busy() { return refused("Refused: " + BusyReason + "."); }
    bool ok() const { return kind == Done; }
};

}  // namespace korvanne
