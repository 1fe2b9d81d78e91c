#include "console/console_tools.h"

#include <QLocale>
#include <cmath>

#include "console/filter_coefficients.h"
#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"

namespace korvanne {

namespace {

bool hexDigits(const QString& text, qsizetype count) {
    return text.size() == count && isHexText(text.toStdString());
}

}  // namespace

ConsoleTools::ConsoleTools(Services& services, DeviceMessages& messages)
    : services_(services), messages_(messages) {}

Outcome ConsoleTools::writeMessage(const QString& name, const Message& message, bool purge,
                                   int pauseMs) {
    DeviceMessages::Exchange exchange(messages_, name);
    if (!exchange) return Outcome::busy();
    if (purge) exchange.purgeTransmit();
    exchange.send(message);
    exchange.pause(pauseMs);
    return Outcome::done();
}

QString ConsoleTools::i2cAddressMessage(const QString& text) {
    return "The I2C address must be two hexadecimal digits, for example 50; '" + text + "' is not.";
}

std::optional<std::uint8_t> ConsoleTools::i2cAddress(const QString& text) {
    if (!hexDigits(text, 2)) {
        services_.dialogs.inform(i2cAddressMessage(text));
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(text.toUInt(nullptr, 16));
}

Outcome ConsoleTools::btnEraseEepromClick() {
    if (!view_) return Outcome::refused(QStringLiteral("No memory address is given."));
    if (!messages_.linkFree(QStringLiteral("Erase EEPROM"))) return Outcome::busy();
    if (!services_.dialogs.confirm(EraseQuestion, Dialogs::Default::No))
        return Outcome::cancelled();
    const QString address = view_->i2cAddressText();
    if (!EraseEEPROM(address)) {
        return Outcome::failed(
            QStringLiteral("The erase of the memory at %1 could not be sent.").arg(address));
    }
    return Outcome::done(QStringLiteral("Settings memory at %1 erased.").arg(address));
}

bool ConsoleTools::EraseEEPROM(const QString& i2cAddr) {
    const std::optional<std::uint8_t> address = i2cAddress(i2cAddr);
    const QString name = QStringLiteral("Erase EEPROM");
    if (!address || !messages_.linkFree(name)) return false;
    const Message message = msg::eepromErase(*address);
    services_.log.ConsoleLog("erase message: " + QString::fromStdString(hexText(message)));
    return writeMessage(name, message, true, ErasePauseMs).ok();
}

Outcome ConsoleTools::btnReadEEPROMClick() {
    if (!view_) return Outcome::refused(QStringLiteral("There is no I2C address to read."));
    return ReadEEPROM(view_->i2cAddressText());
}

Outcome ConsoleTools::ReadEEPROM(const QString& i2cAddr) {
    const std::optional<std::uint8_t> address = i2cAddress(i2cAddr);
    const QString name = QStringLiteral("Read EEPROM");
    if (!address) return Outcome::refused(i2cAddressMessage(i2cAddr));
    if (!messages_.linkFree(name)) return Outcome::busy();
    const Message message = msg::eepromRead(*address);
    services_.log.ConsoleLog("Read message: " + QString::fromStdString(hexText(message)));
    // The pause holds the link, so the poll leaves the dump alone until it has arrived.
    return writeMessage(name, message, false, ReadPauseMs);
}

Outcome ConsoleTools::btnSendClick() {
    if (!view_) return Outcome::refused(QStringLiteral("There is nothing to send."));
    const Outcome sent = rawSend(view_->rawAddressText(), view_->rawDataText());
    // A text that is not a message is the user's to correct: say why.
    if (sent.kind == Outcome::Refused && sent.sentence.startsWith(QLatin1String("Not sent:"))) {
        services_.dialogs.inform(sent.sentence);
    }
    return sent;
}

std::optional<Message> ConsoleTools::rawMessage(const QString& address, const QString& data,
                                                QString* why) {
    QString reason;
    if (!hexDigits(address, 4)) {
        reason = "Not sent: the address must be four hexadecimal digits, for example 000B; '" +
                 address + "' is not.";
    } else if (!hexDigits(data, 8)) {
        reason = "Not sent: the data must be eight hexadecimal digits, for example 007FE000; '" +
                 data + "' is not.";
    }
    if (!reason.isEmpty()) {
        if (why) *why = reason;
        return std::nullopt;
    }
    return msg::parameterWrite(std::uint16_t(address.toUInt(nullptr, 16)),
                               data.toUInt(nullptr, 16));
}

Outcome ConsoleTools::rawSend(const QString& address, const QString& data) {
    QString why;
    const std::optional<Message> message = rawMessage(address, data, &why);
    if (!message) return Outcome::refused(why);
    const QString name = QStringLiteral("Send");
    if (!messages_.linkFree(name)) return Outcome::busy();
    const QString text = QString::fromStdString(hexText(*message));
    services_.log.ConsoleLog(text);
    const Outcome sent = writeMessage(name, *message, false, 0);
    return sent.ok() ? Outcome::done(QStringLiteral("Sent %1.").arg(text)) : sent;
}

void ConsoleTools::cmbNotePickerChange(int index) {
    NoteOffset = index - filter::ReferenceIndex;
}

QString ConsoleTools::noteName() const {
    const int index = NoteOffset + filter::ReferenceIndex;
    if (index < 0 || index >= filter::NoteCount) return {};
    const std::string_view name = filter::noteNames()[static_cast<std::size_t>(index)];
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QString ConsoleTools::decimalText(double value) const {
    return QString::fromStdString(
        filter::shortestDecimal(value, QLocale().decimalPoint().toStdString()));
}

std::optional<double> ConsoleTools::readNumber(const QString& text) {
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        services_.dialogs.inform("'" + text + "' is not a valid floating point value");
        return std::nullopt;
    }
    return value;
}

void ConsoleTools::edtQChange(const QString& text) {
    const std::optional<double> value = readNumber(text);
    if (!value) return;
    // Q divides the bandwidth term: 0 has no filter, and below 0 none that makes sense.
    if (*value <= 0) {
        services_.dialogs.inform("Q must be a number above 0; it stays " + decimalText(FilterQ) +
                                 ".");
        return;
    }
    FilterQ = *value;
    services_.log.ConsoleLog("Q: " + decimalText(FilterQ));
}

void ConsoleTools::edtBoostChange(const QString& text) {
    const std::optional<double> value = readNumber(text);
    if (!value) return;
    FilterBoost = *value;
    services_.log.ConsoleLog("boost: " + decimalText(FilterBoost));
}

double ConsoleTools::CalcNoteFrequency() const {
    return filter::CalcNoteFrequency(NoteOffset);
}

void ConsoleTools::btnGetNoteFrequencyClick() {
    NoteFrequency = CalcNoteFrequency();
    PrintCoefficientTable(NoteFrequency);
}

void ConsoleTools::PrintCoefficientTable(double frequency) {
    const auto lines =
        filter::coefficientTable(noteName().toStdString(), frequency, FilterQ, FilterBoost,
                                 QLocale().decimalPoint().toStdString());
    if (!lines) {
        services_.dialogs.inform(
            "No coefficients for this note, gain and Q: the filter cannot be computed.");
        return;
    }
    for (const std::string& line : *lines) services_.log.ConsoleLog(QString::fromStdString(line));
}

}  // namespace korvanne
