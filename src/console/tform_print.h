#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "console/console_tools.h"
#include "core/log_sink.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace korvanne {

// The debug console: every part of the program traces its work here, one line per entry. It is
// hidden at start, keeps collecting lines while hidden, and its close box only hides it.
//
// Lines are queued and moved into Memo1 in batches (when the event loop gets a turn, or when
// anything reads the log), because a burst of thousands of lines appended and scrolled one by
// one would stall the program. A batch leaves the log and the view exactly as line-by-line
// appending would have.
class TformPrint : public QWidget, public LogSink, public ConsoleToolsView {
    Q_OBJECT

public:
    explicit TformPrint(QWidget* parent = nullptr);
    ~TformPrint() override;

    // Appends a line; with auto-scroll on, the view then shows the end of the log.
    void ConsoleLog(const QString& line) override;
    // Appends a line without moving the view.
    void ConsoleAppend(const QString& line) override;

    // Follows CheckBox1; true at creation.
    bool ConsoleAutoScroll() const { return autoScroll_; }

    // Moves every queued line into Memo1 and settles the view.
    void flush();
    // Every line of the log, oldest first (queued lines included).
    QStringList lines();
    // Lines waiting for the next flush.
    qsizetype pendingCount() const { return static_cast<qsizetype>(pending_.size()); }

    // The row at the top of the window that holds the maintenance tools, right of the log's own
    // controls.
    QHBoxLayout* toolRow() const { return toolRow_; }

    // Connects the tool controls to their operations; the tools live as long as the window.
    void attachTools(ConsoleTools& tools);

    // ConsoleToolsView.
    QString i2cAddressText() const override;
    QString rawAddressText() const override;
    QString rawDataText() const override;

    // Log-side controls.
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnScrollTop = nullptr;
    QCheckBox* CheckBox1 = nullptr;

    // Tool controls. Only the EEPROM ones are visible; the raw send and the coefficient
    // generator sit in a hidden row between the tool row and the log.
    QPushButton* btnEraseEeprom = nullptr;
    QPushButton* btnReadEEPROM = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cmbI2Caddr = nullptr;
    QWidget* hiddenTools = nullptr;
    QLineEdit* edtAddress = nullptr;
    QLineEdit* edtData = nullptr;
    QPushButton* btnSend = nullptr;
    QComboBox* cmbNotePicker = nullptr;
    QLineEdit* edtQ = nullptr;
    QLineEdit* edtBoost = nullptr;
    QPushButton* btnGetNoteFrequency = nullptr;

public Q_SLOTS:
    void btnClearClick();
    void btnScrollTopClick();
    void CheckBox1Change();

protected:
    void showEvent(QShowEvent* event) override;
    // A look that widens the window keeps it on the screen.
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Pending {
        QString text;
        bool scroll;  // a ConsoleLog line written while auto-scroll was on
    };

    void FormCreate();
    void createTools(QVBoxLayout* outer);
    void enqueue(const QString& line, bool scroll);
    void insertLines(const std::vector<Pending>& batch, std::size_t from, std::size_t to);
    void keepOnScreen();
    void followEnd();

    bool autoScroll_ = true;
    bool empty_ = true;  // Memo1 holds no line yet (an empty document could also be one empty line)
    bool flushPosted_ = false;
    // The view was last brought to the end by a log line and has not moved since: when the text
    // area changes size (a scroll bar appears, the window is first shown, the look changes),
    // the newest line is kept in view.
    bool followEnd_ = false;
    bool flushing_ = false;
    bool placed_ = false;
    std::vector<Pending> pending_;
    QHBoxLayout* toolRow_ = nullptr;
};

}  // namespace korvanne
