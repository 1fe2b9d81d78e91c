#pragma once

#include "ui/secondary_window.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace korvanne {

class Updater;

// The notice that a newer editor exists: the two versions, "Update Now", "What's New?" and the
// box that stops the notice for later runs. Its handlers forward to the updater.
class TformNewVersionMsg final : public SecondaryWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 268;
    static constexpr int ClientHeight = 151;

    explicit TformNewVersionMsg(QWidget* parent = nullptr);

    void attach(Updater* updater) { updater_ = updater; }

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* btnLaunchUpdate;
    QPushButton* btnSeeWhatsNew;
    QCheckBox* CheckBox1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    Updater* updater_ = nullptr;
};

}  // namespace korvanne
