#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

#include "core/outcome.h"
#include "device/message_builders.h"

namespace korvanne {

class DeviceMessages;
struct Services;

// What the console tools read from their controls. The console window implements it with
// widgets; a command-line front end or a test can answer without any.
class ConsoleToolsView {
public:
    virtual ~ConsoleToolsView() = default;
    // cmbI2Caddr: the settings memory's I2C address as two hex digits.
    virtual QString i2cAddressText() const = 0;
    // edtAddress and edtData: the raw send's address and value digits.
    virtual QString rawAddressText() const = 0;
    virtual QString rawDataText() const = 0;
};

// The debug console's maintenance tools: erasing and reading the pedal's settings memory, the
// raw parameter write, and the filter coefficient generator. Every message to the pedal goes
// through the link's one-exchange-at-a-time guard; a tool asked for while another exchange runs
// does nothing.
class ConsoleTools {
public:
    static constexpr int ErasePauseMs = 100;
    static constexpr int ReadPauseMs = 4000;
    static inline const QString EraseQuestion = QStringLiteral("Erase EEPROM now?");

    // `messages` is the link's door; its bridge is the one the tools write to.
    ConsoleTools(Services& services, DeviceMessages& messages);

    void setView(ConsoleToolsView* view) { view_ = view; }

    // The buttons and edits.
    // Done with the sentence of what was erased.
    Outcome btnEraseEepromClick();
    Outcome btnReadEEPROMClick();
    // Sends the raw write of the two edits; texts that are not one are refused with a message.
    Outcome btnSendClick();
    void cmbNotePickerChange(int index);
    void edtQChange(const QString& text);
    void edtBoostChange(const QString& text);
    void btnGetNoteFrequencyClick();

    // Erases the settings memory at the I2C address (two hex digits), then pauses 100 ms.
    // False when the address is not two hex digits (the user is told) or another exchange holds
    // the link. Called from a command's own exchange, it joins that exchange.
    bool EraseEEPROM(const QString& i2cAddr);
    // Asks the pedal for a dump of the settings memory, then pauses 4000 ms. The dump itself is
    // taken by the poll and judged by the memory check. Refused when the address is not two hex
    // digits (the user is told) or another exchange holds the link.
    Outcome ReadEEPROM(const QString& i2cAddr);
    // The parameter write of four address digits and eight value digits (7 bytes), or, when the
    // texts are not that, nothing and the sentence that says why.
    static std::optional<Message> rawMessage(const QString& address, const QString& data,
                                             QString* why);
    // Sends rawMessage; other texts are refused with the sentence of rawMessage and nothing is
    // sent. Done with "Sent <message>." in hex.
    Outcome rawSend(const QString& address, const QString& data);

    double CalcNoteFrequency() const;
    // Logs the coefficient table for the frequency with the current note name, gain and Q.
    void PrintCoefficientTable(double frequency);
    // The note picker's item for NoteOffset.
    QString noteName() const;

    // Generator state; FilterQ and FilterBoost change only through their edits.
    int NoteOffset = -12;
    double NoteFrequency = 0.0;
    double FilterQ = 11.0;
    double FilterBoost = -6.0;

private:
    // The one way these tools reach the pedal: as one exchange (refused and logged under `name`
    // while another runs), optionally purges the transmit queue, writes the message, pauses.
    Outcome writeMessage(const QString& name, const Message& message, bool purge, int pauseMs);
    // The address as a number; tells the user when it is not two hex digits.
    std::optional<std::uint8_t> i2cAddress(const QString& text);
    static QString i2cAddressMessage(const QString& text);
    // The edit's text as a number in the user's number format; tells the user when it is not.
    std::optional<double> readNumber(const QString& text);
    QString decimalText(double value) const;

    Services& services_;
    DeviceMessages& messages_;
    ConsoleToolsView* view_ = nullptr;
};

}  // namespace korvanne
