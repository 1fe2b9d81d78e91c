#include "console/tform_print.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "console/filter_coefficients.h"

namespace korvanne {

TformPrint::TformPrint(QWidget* parent) : QWidget(parent, Qt::Window) {
    FormCreate();
}

TformPrint::~TformPrint() = default;

void TformPrint::FormCreate() {
    setObjectName("TformPrint");
    setWindowTitle("Debug Console");
    // A secondary window: closing it only hides it and never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    btnClear = new QPushButton("Clear", this);
    btnClear->setObjectName("btnClear");
    btnScrollTop = new QPushButton("UP", this);
    btnScrollTop->setObjectName("btnScrollTop");
    CheckBox1 = new QCheckBox("scroll", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(true);
    btnClear->setToolTip("Empties the log.");
    btnScrollTop->setToolTip("Scrolls the log back to its first line.");
    CheckBox1->setToolTip("While checked, the log scrolls to each new line.");

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setUndoRedoEnabled(false);
    // One entry per visual line, so the vertical scroll position counts log lines.
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(btnClear);
    top->addWidget(btnScrollTop);
    top->addWidget(CheckBox1);
    toolRow_ = new QHBoxLayout;
    toolRow_->setObjectName("toolRow");
    toolRow_->setSpacing(6);
    top->addSpacing(12);
    top->addLayout(toolRow_);
    top->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->setSpacing(8);
    outer->addLayout(top);
    createTools(outer);
    outer->addWidget(Memo1, 1);

    connect(btnClear, &QPushButton::clicked, this, &TformPrint::btnClearClick);
    connect(btnScrollTop, &QPushButton::clicked, this, &TformPrint::btnScrollTopClick);
    connect(CheckBox1, &QCheckBox::toggled, this, &TformPrint::CheckBox1Change);

    QScrollBar* vbar = Memo1->verticalScrollBar();
    connect(vbar, &QScrollBar::rangeChanged, this, &TformPrint::followEnd);
    connect(vbar, &QScrollBar::valueChanged, this, [this, vbar](int value) {
        if (!flushing_ && value != vbar->maximum()) followEnd_ = false;
    });

    autoScroll_ = true;
    resize(508, 676);
    move(1075, 0);
}

void TformPrint::createTools(QVBoxLayout* outer) {
    auto button = [](const char* name, const char* caption, QWidget* parent) {
        auto* b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    auto edit = [](const char* name, const char* text, QWidget* parent) {
        auto* e = new QLineEdit(QString::fromLatin1(text), parent);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };

    btnEraseEeprom = button("btnEraseEeprom", "Erase E2P", this);
    btnReadEEPROM = button("btnReadEEPROM", "Read E2P", this);
    Label1 = new QLabel("E2P addr", this);
    Label1->setObjectName("Label1");
    cmbI2Caddr = new QComboBox(this);
    cmbI2Caddr->setObjectName("cmbI2Caddr");
    cmbI2Caddr->addItems({"50", "51"});
    cmbI2Caddr->setCurrentIndex(0);
    btnEraseEeprom->setToolTip(
        "Erases the pedal's settings memory at the chosen I2C address, after asking.");
    btnReadEEPROM->setToolTip(
        "Asks the pedal for its settings memory at the chosen I2C address; the bytes are logged.");
    cmbI2Caddr->setToolTip("The I2C address of the settings memory the two buttons use.");
    toolRow_->addWidget(btnEraseEeprom);
    toolRow_->addWidget(btnReadEEPROM);
    toolRow_->addSpacing(6);
    toolRow_->addWidget(Label1);
    toolRow_->addWidget(cmbI2Caddr);

    // The raw send and the generator are complete but not part of the delivered layout.
    hiddenTools = new QWidget(this);
    hiddenTools->setObjectName("hiddenTools");
    auto* row = new QHBoxLayout(hiddenTools);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    edtAddress = edit("edtAddress", "addr", hiddenTools);
    edtData = edit("edtData", "data", hiddenTools);
    btnSend = button("btnSend", "Send", hiddenTools);
    cmbNotePicker = new QComboBox(hiddenTools);
    cmbNotePicker->setObjectName("cmbNotePicker");
    for (std::string_view name : filter::noteNames()) {
        cmbNotePicker->addItem(
            QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    cmbNotePicker->setCurrentIndex(0);
    edtQ = edit("edtQ", "1.41", hiddenTools);
    edtBoost = edit("edtBoost", "0", hiddenTools);
    btnGetNoteFrequency = button("btnGetNoteFrequency", "Calc Coeff.", hiddenTools);
    btnSend->setToolTip(
        "Writes the data (eight hex digits) to the parameter address (four hex digits).");
    btnGetNoteFrequency->setToolTip(
        "Logs the filter coefficients for the chosen note with the Q and boost given.");
    edtAddress->setMaximumWidth(52);
    edtData->setMaximumWidth(100);
    edtQ->setMaximumWidth(48);
    edtBoost->setMaximumWidth(40);
    for (QWidget* w : {static_cast<QWidget*>(edtAddress), static_cast<QWidget*>(edtData),
                       static_cast<QWidget*>(btnSend), static_cast<QWidget*>(cmbNotePicker),
                       static_cast<QWidget*>(edtQ), static_cast<QWidget*>(edtBoost),
                       static_cast<QWidget*>(btnGetNoteFrequency)}) {
        row->addWidget(w);
    }
    row->addStretch(1);
    hiddenTools->setVisible(false);
    outer->addWidget(hiddenTools);
}

void TformPrint::attachTools(ConsoleTools& tools) {
    tools.setView(this);
    ConsoleTools* t = &tools;
    connect(btnEraseEeprom, &QPushButton::clicked, this, [t] { t->btnEraseEepromClick(); });
    connect(btnReadEEPROM, &QPushButton::clicked, this, [t] { t->btnReadEEPROMClick(); });
    connect(btnSend, &QPushButton::clicked, this, [t] { t->btnSendClick(); });
    connect(btnGetNoteFrequency, &QPushButton::clicked, this,
            [t] { t->btnGetNoteFrequencyClick(); });
    connect(cmbNotePicker, &QComboBox::currentIndexChanged, this,
            [t](int index) { t->cmbNotePickerChange(index); });
    // An edit reports a finished change of its text once (Return or leaving the field).
    auto finished = [this](QLineEdit* e, void (ConsoleTools::*handler)(const QString&),
                           ConsoleTools* target) {
        connect(e, &QLineEdit::editingFinished, this, [e, handler, target] {
            if (!e->isModified()) return;
            e->setModified(false);
            (target->*handler)(e->text());
        });
    };
    finished(edtQ, &ConsoleTools::edtQChange, t);
    finished(edtBoost, &ConsoleTools::edtBoostChange, t);
    t->cmbNotePickerChange(cmbNotePicker->currentIndex());
}

QString TformPrint::i2cAddressText() const {
    return cmbI2Caddr->currentText();
}

QString TformPrint::rawAddressText() const {
    return edtAddress->text();
}

QString TformPrint::rawDataText() const {
    return edtData->text();
}

void TformPrint::ConsoleLog(const QString& line) {
    enqueue(line, autoScroll_);
}

void TformPrint::ConsoleAppend(const QString& line) {
    enqueue(line, false);
}

void TformPrint::enqueue(const QString& line, bool scroll) {
    pending_.push_back({line, scroll});
    if (!scroll) followEnd_ = false;  // this line leaves the view where it is
    if (!flushPosted_) {
        flushPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                flushPosted_ = false;
                flush();
            },
            Qt::QueuedConnection);
    }
}

void TformPrint::flush() {
    if (pending_.empty() || flushing_) return;
    flushing_ = true;
    // Lines logged while this batch goes in wait for the next one.
    std::vector<Pending> batch;
    batch.swap(pending_);
    QScrollBar* vbar = Memo1->verticalScrollBar();
    QScrollBar* hbar = Memo1->horizontalScrollBar();
    int keepV = vbar->value();
    int keepH = hbar->value();

    // Only the last scrolling line decides where the view ends up: everything up to it goes in,
    // the view moves to the end as it stood then, and the lines after it leave the view alone.
    std::size_t split = 0;
    for (std::size_t i = batch.size(); i > 0; --i) {
        if (batch[i - 1].scroll) {
            split = i;
            break;
        }
    }
    if (split > 0) {
        insertLines(batch, 0, split);
        keepV = vbar->maximum();
        keepH = 0;
        vbar->setValue(keepV);
        hbar->setValue(keepH);
    }
    insertLines(batch, split, batch.size());
    vbar->setValue(keepV);
    hbar->setValue(keepH);
    followEnd_ = split == batch.size() && pending_.empty();
    flushing_ = false;
}

void TformPrint::followEnd() {
    if (!followEnd_ || flushing_) return;
    QScrollBar* vbar = Memo1->verticalScrollBar();
    vbar->setValue(vbar->maximum());
}

void TformPrint::insertLines(const std::vector<Pending>& batch, std::size_t from, std::size_t to) {
    if (from >= to) return;
    qsizetype size = 0;
    for (std::size_t i = from; i < to; ++i) size += batch[i].text.size() + 1;
    QString text;
    text.reserve(size);
    for (std::size_t i = from; i < to; ++i) {
        if (!empty_ || i > from) text += QLatin1Char('\n');
        text += batch[i].text;
    }
    QTextCursor cursor(Memo1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    empty_ = false;
}

QStringList TformPrint::lines() {
    flush();
    if (empty_) return {};
    return Memo1->toPlainText().split(QLatin1Char('\n'));
}

void TformPrint::btnClearClick() {
    pending_.clear();
    Memo1->clear();
    Memo1->setUndoRedoEnabled(false);
    empty_ = true;
    followEnd_ = false;
}

void TformPrint::btnScrollTopClick() {
    flush();
    followEnd_ = false;
    Memo1->verticalScrollBar()->setValue(0);
    Memo1->horizontalScrollBar()->setValue(0);
}

void TformPrint::CheckBox1Change() {
    autoScroll_ = CheckBox1->isChecked();
}

void TformPrint::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    flush();
    if (!placed_) {
        placed_ = true;
        keepOnScreen();
    }
}

void TformPrint::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (placed_ && isVisible()) keepOnScreen();
}

// The design position sits right of a wide screen; on a smaller one, pull the window back
// inside so it can be reached.
void TformPrint::keepOnScreen() {
    const QScreen* where = QGuiApplication::screenAt(pos());
    if (!where) where = screen();
    if (!where) return;
    const QRect avail = where->availableGeometry();
    const QRect frame = frameGeometry();
    if (avail.contains(frame)) return;
    const int left =
        std::max(avail.left(), std::min(frame.left(), avail.x() + avail.width() - frame.width()));
    const int top =
        std::max(avail.top(), std::min(frame.top(), avail.y() + avail.height() - frame.height()));
    move(left, top);
}

}  // namespace korvanne
