#include "cli/terminal_dialogs.h"

#include <utility>

namespace korvanne {

namespace {

// Message boxes join their lines with CR LF; a terminal wants plain line ends.
QByteArray terminalText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return plain.toLocal8Bit();
}

}  // namespace

TerminalDialogs::TerminalDialogs(bool assumeYes, bool interactive, std::FILE* in, std::FILE* out)
    : assumeYes_(assumeYes), interactive_(interactive), in_(in), out_(out) {}

bool TerminalDialogs::confirm(const QString& text, Default defaultButton) {
    if (const auto it = answers_.find(text); it != answers_.end()) return it->second;
    if (assumeYes_) return true;
    if (!interactive_) {
        refused_ = true;
        return false;
    }
    // The default answer is shown in capitals; an empty line takes it when it is No. An empty
    // line to a question without a safe default asks again.
    const bool defaultNo = defaultButton == Default::No;
    for (;;) {
        std::fprintf(out_, "%s %s ", terminalText(text).constData(), defaultNo ? "[y/N]" : "[y/n]");
        std::fflush(out_);
        char line[256];
        if (!std::fgets(line, sizeof line, in_)) {
            // The input ended: nobody said Yes.
            std::fprintf(out_, "\n");
            declined_ = true;
            return false;
        }
        const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
        if (answer == "y" || answer == "yes") return true;
        if (answer == "n" || answer == "no" || (answer.isEmpty() && defaultNo)) {
            declined_ = true;
            return false;
        }
    }
}

void TerminalDialogs::inform(const QString& text) {
    if (holding_) {
        held_ << text;
        return;
    }
    messages_ << text;
    std::fprintf(out_, "%s\n", terminalText(text).constData());
    std::fflush(out_);
}

void TerminalDialogs::warn(const QString& text) {
    inform(text);
}

void TerminalDialogs::releaseMessages() {
    holding_ = false;
    const QStringList held = std::exchange(held_, {});
    for (const QString& text : held) inform(text);
}

void TerminalDialogs::dropMessages() {
    holding_ = false;
    held_.clear();
}

QString TerminalDialogs::openFile(const QString&, const QString&, const QString&, const QString&) {
    return file_;
}

QString TerminalDialogs::saveFile(const QString&, const QString&, const QString&, const QString&) {
    return file_;
}

QString TerminalDialogs::askText(const QString&, const QString& label, const QString& initial) {
    if (!interactive_) return {};
    // "New name: " asked as "New name [offered]: ".
    QString question = label.trimmed();
    if (question.endsWith(':')) question.chop(1);
    std::fprintf(out_, "%s [%s]: ", terminalText(question).constData(),
                 terminalText(initial).constData());
    std::fflush(out_);
    // The whole line, however long; its line end is not part of the answer.
    QByteArray line;
    char part[256];
    while (std::fgets(part, sizeof part, in_)) {
        line += part;
        if (line.endsWith('\n')) break;
    }
    if (line.isEmpty()) {
        // The input ended: nobody answered.
        std::fprintf(out_, "\n");
        return {};
    }
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return line.isEmpty() ? initial : QString::fromLocal8Bit(line);
}

}  // namespace korvanne
