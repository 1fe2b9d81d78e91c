#include "scripted_dialogs.h"

#include <QTest>

namespace korvanne::test {

void ScriptedDialogs::expectConfirm(bool yes, const QString& text) {
    script_.append({Kind::Confirm, yes, text});
}
void ScriptedDialogs::expectOpenFile(const QString& path) {
    script_.append({Kind::OpenFile, false, path});
}
void ScriptedDialogs::expectSaveFile(const QString& path) {
    script_.append({Kind::SaveFile, false, path});
}

void ScriptedDialogs::expectText(const QString& answer) {
    script_.append({Kind::AskText, false, answer});
}

ScriptedDialogs::Step ScriptedDialogs::next(Kind kind, const QString& what) {
    if (script_.isEmpty() || script_.first().kind != kind) {
        QTest::qFail(qPrintable("Unexpected dialog: " + what), __FILE__, __LINE__);
        return {kind, false, {}};
    }
    return script_.takeFirst();
}

bool ScriptedDialogs::confirm(const QString& text, Default defaultButton) {
    confirmations << text;
    confirmDefaults << defaultButton;
    const Step step = next(Kind::Confirm, "confirm \"" + text + "\"");
    if (!step.text.isEmpty() && step.text != text) {
        QTest::qFail(
            qPrintable("Confirmation text was \"" + text + "\", expected \"" + step.text + "\""),
            __FILE__, __LINE__);
    }
    return step.yes;
}

void ScriptedDialogs::inform(const QString& text) {
    messages << text;
}

void ScriptedDialogs::warn(const QString& text) {
    messages << text;
    warnings << text;
}

QString ScriptedDialogs::openFile(const QString& title, const QString&,
                                  const QString& defaultSuffix, const QString& folder) {
    dialogTitles << title;
    dialogSuffixes << defaultSuffix;
    dialogFolders << folder;
    return next(Kind::OpenFile, "open file \"" + title + "\"").text;
}

QString ScriptedDialogs::saveFile(const QString& title, const QString&,
                                  const QString& defaultSuffix, const QString& folder) {
    dialogTitles << title;
    dialogSuffixes << defaultSuffix;
    dialogFolders << folder;
    return next(Kind::SaveFile, "save file \"" + title + "\"").text;
}

QString ScriptedDialogs::askText(const QString& title, const QString& label,
                                 const QString& initial) {
    textTitles << title;
    textQuestions << label;
    textInitials << initial;
    return next(Kind::AskText, "ask text \"" + label + "\"").text;
}

}  // namespace korvanne::test
