#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace korvanne {

QString QtDialogs::toQtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2) names << parts[i];
    return names.join(";;");
}

bool QtDialogs::confirm(const QString& text) {
    return QMessageBox::question(parent_, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::No;
}

void QtDialogs::inform(const QString& text) {
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    // The user can copy what a message says (an address, a path, an error).
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
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

}  // namespace korvanne
