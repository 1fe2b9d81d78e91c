#pragma once

#include <memory>

#include "core/dialogs.h"

class QMessageBox;
class QWidget;

namespace korvanne {

// Message boxes and file dialogs of the desktop.
class QtDialogs final : public Dialogs {
public:
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    bool confirm(const QString& text, Default defaultButton = Default::Yes) override;
    void inform(const QString& text) override;
    void warn(const QString& text) override;

    // The question box confirm shows; exec() answers it. Tests look at it without showing it.
    static std::unique_ptr<QMessageBox> questionBox(QWidget* parent, const QString& text,
                                                    Default defaultButton);
    QString openFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                     const QString& folder) override;
    QString saveFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                     const QString& folder) override;
    QString askText(const QString& title, const QString& label, const QString& initial) override;

    // "Preset files (*.txt)|*.txt" -> "Preset files (*.txt)".
    static QString toQtFilter(const QString& filter);

private:
    QWidget* parent_ = nullptr;
};

}  // namespace korvanne
