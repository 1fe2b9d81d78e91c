#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/dialogs.h"

namespace korvanne::test {

// Answers the program's questions from a script. Information boxes need no script: they are
// recorded in `messages`. A confirmation or file dialog that the script does not expect fails
// the running test.
class ScriptedDialogs final : public Dialogs {
public:
    enum class Kind { Confirm, OpenFile, SaveFile, AskText };

    // Next confirmation: expected text (empty: any) and the answer.
    void expectConfirm(bool yes, const QString& text = {});
    // Next file dialog: the file name to give back (empty: cancel).
    void expectOpenFile(const QString& path);
    void expectSaveFile(const QString& path);
    // Next text question: the text to give back (empty: cancel).
    void expectText(const QString& answer);

    bool confirm(const QString& text, Default defaultButton = Default::Yes) override;
    void inform(const QString& text) override;
    // Recorded in `messages` like an information box, and in `warnings`.
    void warn(const QString& text) override;
    QString openFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                     const QString& folder) override;
    QString saveFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                     const QString& folder) override;
    QString askText(const QString& title, const QString& label, const QString& initial) override;

    // True when every scripted answer was used.
    bool scriptDone() const { return script_.isEmpty(); }

    QStringList messages;            // information boxes, in order
    QStringList confirmations;       // confirmation texts, in order
    QList<Default> confirmDefaults;  // the default button of each confirmation, in order
    QStringList warnings;            // the messages shown with the warning icon, in order
    QStringList dialogTitles;        // file dialog titles, in order
    QStringList dialogFolders;       // the folder each file dialog opened in
    QStringList dialogSuffixes;      // the default extension each file dialog was given
    QStringList textTitles;          // each text question's title, in order
    QStringList textQuestions;       // each text question's label, in order
    QStringList textInitials;        // the text each text question offered

private:
    struct Step {
        Kind kind;
        bool yes = false;
        QString text;
    };
    Step next(Kind kind, const QString& what);
    QList<Step> script_;
};

}  // namespace korvanne::test
