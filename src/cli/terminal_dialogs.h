#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>
#include <map>

#include "core/dialogs.h"

namespace korvanne {

// The editor's questions and messages on a terminal. A confirmation is asked on standard error
// and answered with y or n on standard input; with --yes every confirmation is answered Yes.
// Without a terminal and without --yes nothing can answer, so the answer is No and the refusal
// is remembered: the command then says that confirmation is needed. File dialogs take the file
// named on the command line.
class TerminalDialogs final : public Dialogs {
public:
    TerminalDialogs(bool assumeYes, bool interactive, std::FILE* in = stdin,
                    std::FILE* out = stderr);

    bool confirm(const QString& text, Default defaultButton = Default::Yes) override;
    void inform(const QString& text) override;
    // A terminal has no icons: a warning is shown as any message.
    void warn(const QString& text) override;
    QString openFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                     const QString& folder) override;
    QString saveFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                     const QString& folder) override;
    // Asked on standard error and read as one line from standard input; an empty line takes
    // `initial`. Without a terminal, or when the input ends, nothing is answered (empty).
    QString askText(const QString& title, const QString& label, const QString& initial) override;

    // --yes: every confirmation is answered Yes.
    void setAssumeYes(bool yes) { assumeYes_ = yes; }
    // Whether a question can be answered at all (a terminal, or --yes).
    bool canConfirm() const { return assumeYes_ || interactive_; }
    // A question answered by a command's own flag rather than by the user or --yes.
    void setAnswer(const QString& question, bool yes) { answers_[question] = yes; }
    // The file the next open or save dialog gives back.
    void setFile(const QString& path) { file_ = path; }

    // A confirmation was needed but nothing could answer it.
    bool confirmationRefused() const { return refused_; }
    // The user answered No.
    bool declined() const { return declined_; }
    // While held, messages are kept back instead of shown; release shows them, drop forgets them
    // (the command then says what happened in its own words).
    void holdMessages() { holding_ = true; }
    void releaseMessages();
    void dropMessages();

    // Every message shown, in order.
    const QStringList& messages() const { return messages_; }

private:
    bool assumeYes_;
    bool interactive_;
    std::FILE* in_;
    std::FILE* out_;
    QString file_;
    bool refused_ = false;
    bool declined_ = false;
    QStringList messages_;
    bool holding_ = false;
    QStringList held_;
    std::map<QString, bool> answers_;
};

}  // namespace korvanne
