#include "effect/tform_note_tracking_filter.h"

#include <QCheckBox>
#include <QPushButton>

namespace korvanne {

namespace {
// Object names of the boxes in note code order.
constexpr const char* BoxNames[NoteTrackingFilter::Notes] = {
    "chkA2", "chkAdiesis2", "chkB2", "chkC3", "chkCdiesis3", "chkD3", "chkDdiesis3", "chkE3"};
}  // namespace

TformNoteTrackingFilter::TformNoteTrackingFilter(QWidget* parent)
    : SecondaryWindow("TformNoteTrackingFilter", "Note Cut", parent) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont arial("Arial");
    arial.setPointSizeF(9);
    setFont(arial);
    // Two columns of four, as the notes rise: A2 to C3 on the left, C#3 to E3 on the right.
    for (int code = 0; code < NoteTrackingFilter::Notes; ++code) {
        auto* b = new QCheckBox(NoteTrackingFilter::NoteNames[std::size_t(code)], this);
        b->setObjectName(BoxNames[code]);
        b->move(code < 4 ? 8 : 65, 8 + 18 * (code % 4));
        b->adjustSize();
        boxes_[std::size_t(code)] = b;
    }
    btnSave = new QPushButton("Save", this);
    btnSave->setObjectName("btnSave");
    btnSave->setGeometry(16, 85, 75, 25);
    btnGet = new QPushButton("Get", this);
    btnGet->setObjectName("btnGet");
    btnGet->setGeometry(128, 85, 75, 25);
    // The pedal cannot report the choice, so "Get" has nothing to fetch.
    btnGet->setEnabled(false);
    btnGet->setToolTip("The pedal does not report its note cut");
    setFixedSize(222, 115);
}

void TformNoteTrackingFilter::attach(NoteTrackingFilter* filter) {
    filter->setView(this);
    for (QCheckBox* b : boxes_) {
        connect(b, &QCheckBox::toggled, this, [filter] { filter->chkNoteChange(); });
    }
    connect(btnSave, &QPushButton::clicked, this, [this, filter] {
        const Outcome outcome = filter->btnSaveClick();
        if (saved) saved(outcome);
    });
}

bool TformNoteTrackingFilter::isBoxChecked(int code) const {
    return boxes_.at(std::size_t(code))->isChecked();
}

void TformNoteTrackingFilter::setBoxEnabled(int code, bool enabled) {
    boxes_.at(std::size_t(code))->setEnabled(enabled);
}

}  // namespace korvanne
