#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace korvanne {

QString QtDialogs::toQtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2) names << parts[i];
    return names.join(";;");
}

std::unique_ptr<QMessageBox> QtDialogs::questionBox(QWidget* parent, const QString& text,
                                                    Default defaultButton) {
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::Question, QApplication::applicationDisplayName(),
                                      text, QMessageBox::Yes | QMessageBox::No, parent);
    const QMessageBox::StandardButton enter =
        defaultButton == Default::No ? QMessageBox::No : QMessageBox::Yes;
    box->setDefaultButton(enter);
    // Escape and the close button answer No.
    box->setEscapeButton(QMessageBox::No);
    return box;
}

bool QtDialogs::confirm(const QString& text, Default defaultButton) {
    const auto box = questionBox(parent_, text, defaultButton);
    return box->exec() == QMessageBox::Yes;
}

namespace {

void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    // The user can copy what a message says (an address, a path, an error).
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

}  // namespace

void QtDialogs::inform(const QString& text) {
    showMessage(parent_, QMessageBox::Information, text);
}

void QtDialogs::warn(const QString& text) {
    showMessage(parent_, QMessageBox::Warning, text);
}

QString QtDialogs::openFile(const QString& title, const QString& filter,
                            const QString& defaultSuffix, const QString& folder) {
    QFileDialog dialog(parent_, title, folder, toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString QtDialogs::saveFile(const QString& title, const QString& filter,
                            const QString& defaultSuffix, const QString& folder) {
    QFileDialog dialog(parent_, title, folder, toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    // The program writes over an existing file without asking, as the user chose it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString QtDialogs::askText(const QString& title, const QString& label, const QString& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, title, label, QLineEdit::Normal, initial, &ok);
    return ok ? text : QString();
}

}  // namespace korvanne
