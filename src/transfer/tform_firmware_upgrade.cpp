#include "transfer/tform_firmware_upgrade.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>

#include "transfer/firmware_upgrade.h"

namespace korvanne {

TformFirmwareUpgrade::TformFirmwareUpgrade(QWidget* parent)
    : SecondaryWindow("TformFirmwareUpgrade", "Firmware Upgrade", parent) {
    // Fixed single border with the system menu only; the verify option sits below the bar.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(196, 164);
    cmbFirmwareChoose = new QComboBox(this);
    cmbFirmwareChoose->setObjectName("cmbFirmwareChoose");
    cmbFirmwareChoose->setGeometry(8, 8, 179, 32);
    cmbFirmwareChoose->addItem("Firmware_13");
    // Nothing is selected until the window is first shown, which selects the last item.
    cmbFirmwareChoose->setCurrentIndex(-1);
    btnUpgradeFirmware = new QPushButton("Upgrade Firmware", this);
    btnUpgradeFirmware->setObjectName("btnUpgradeFirmware");
    btnUpgradeFirmware->setGeometry(8, 48, 179, 33);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(8, 94, 179, 34);
    ProgressBar1->setOrientation(Qt::Horizontal);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    chkVerify = new QCheckBox("Verify after writing", this);
    chkVerify->setObjectName("chkVerifyAfterWriting");
    chkVerify->setGeometry(8, 136, 179, 20);
    chkVerify->setToolTip(
        "Reads the written firmware back and compares it before the version "
        "record is written (takes about twice as long)");
}

void TformFirmwareUpgrade::attach(FirmwareUpgrade* upgrade, QWidget* mainWindow) {
    upgrade_ = upgrade;
    mainWindow_ = mainWindow;
    connect(btnUpgradeFirmware, &QPushButton::clicked, this,
            [this] { upgrade_->btnUpgradeFirmwareClick(); });
    // Only the user's choice runs FirmwareSelect here; FormShow runs it for its own selection.
    connect(cmbFirmwareChoose, &QComboBox::activated, this,
            [this](int index) { upgrade_->FirmwareSelect(cmbFirmwareChoose->itemText(index)); });
}

void TformFirmwareUpgrade::setBusy(bool busy) {
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

void TformFirmwareUpgrade::showBelowMainWindow() {
    if (mainWindow_) {
        const QRect frame = mainWindow_->frameGeometry();
        move(frame.left(), frame.top() + frame.height());
    }
    show();
    raise();
}

int TformFirmwareUpgrade::itemCount() const {
    return cmbFirmwareChoose->count();
}

QString TformFirmwareUpgrade::itemText(int index) const {
    return cmbFirmwareChoose->itemText(index);
}

int TformFirmwareUpgrade::selectedIndex() const {
    return cmbFirmwareChoose->currentIndex();
}

void TformFirmwareUpgrade::selectItem(int index) {
    cmbFirmwareChoose->setCurrentIndex(index);
}

void TformFirmwareUpgrade::setUpgradeEnabled(bool enabled) {
    btnUpgradeFirmware->setEnabled(enabled);
}

void TformFirmwareUpgrade::setProgressMaximum(int maximum) {
    ProgressBar1->setMaximum(maximum);
}

void TformFirmwareUpgrade::setProgress(int position) {
    // The bar would repaint at once, between one block's acknowledge and the next command; with
    // updates held it takes the value now and paints in the event loop while the next bytes cross.
    ProgressBar1->setUpdatesEnabled(false);
    ProgressBar1->setValue(position);
    ProgressBar1->setUpdatesEnabled(true);
}

void TformFirmwareUpgrade::setPhase(const QString& phase) {
    ProgressBar1->setFormat(phase.isEmpty() ? QStringLiteral("%p%")
                                            : phase + QStringLiteral(" %p%"));
}

bool TformFirmwareUpgrade::verifyAfterWriting() const {
    return chkVerify->isChecked();
}

void TformFirmwareUpgrade::closeEvent(QCloseEvent* event) {
    if (upgrade_ && !upgrade_->FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace korvanne
