#include "update/tform_new_version_msg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "update/updater.h"

namespace korvanne {

TformNewVersionMsg::TformNewVersionMsg(QWidget* parent)
    : SecondaryWindow("TformNewVersionMsg", "New Version", parent) {
    // A fixed dialog-like frame with only the close and minimise buttons.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(ClientWidth, ClientHeight);

    Label1 = new QLabel("Label1", this);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label2 = new QLabel("Label2", this);
    Label2->setObjectName("Label2");
    Label2->setAlignment(Qt::AlignHCenter);
    btnLaunchUpdate = new QPushButton("Update Now", this);
    btnLaunchUpdate->setObjectName("btnLaunchUpdate");
    btnSeeWhatsNew = new QPushButton("What's New?", this);
    btnSeeWhatsNew->setObjectName("btnSeeWhatsNew");
    CheckBox1 = new QCheckBox("Don't Show This Message Again", this);
    CheckBox1->setObjectName("CheckBox1");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnLaunchUpdate);
    buttons->addWidget(btnSeeWhatsNew);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(Label1);
    column->addWidget(Label2);
    column->addStretch();
    column->addLayout(buttons);
    column->addWidget(CheckBox1, 0, Qt::AlignHCenter);

    connect(btnLaunchUpdate, &QPushButton::clicked, this, [this] {
        if (updater_) updater_->UpdateNow();
    });
    connect(btnSeeWhatsNew, &QPushButton::clicked, this, [this] {
        if (updater_) updater_->btnSeeWhatsNewClick();
    });
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool ticked) {
        if (updater_) updater_->CheckBox1Change(ticked);
    });
}

void TformNewVersionMsg::showEvent(QShowEvent* event) {
    FormShow();
    SecondaryWindow::showEvent(event);
}

void TformNewVersionMsg::FormShow() {
    if (!updater_) return;
    Label1->setText(updater_->noticeHeadline());
    Label2->setText(updater_->noticeVersions());
}

}  // namespace korvanne
