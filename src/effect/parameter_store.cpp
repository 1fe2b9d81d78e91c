#include "effect/parameter_store.h"

#include <QScopeGuard>

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/hex_text.h"
#include "device/message_builders.h"
#include "effect/fx_settings.h"
#include "effect/parameter_catalogue.h"

namespace korvanne {

ParameterStore::ParameterStore(Services& services, DeviceMessages& messages, Communication& link,
                               const ParameterRecords& records,
                               std::function<void(bool)> showAllParametersEnabled)
    : services_(services),
      messages_(messages),
      link_(link),
      records_(records),
      showAllParametersEnabled_(std::move(showAllParametersEnabled)) {}

Message ParameterStore::storeMessage() const {
    // The nine assignable values in catalogue order; the standard ones are not stored.
    std::array<std::uint32_t, 9> values{};
    const ParameterRecords& records = records_;
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = records.value(static_cast<Param>(order(Param::InputLevel) + int(i)));
    }
    return msg::storeParameters(values);
}

Outcome ParameterStore::btnSaveParametersClick() {
    LogSink& log = services_.log;
    Dialogs& dialogs = services_.dialogs;
    const Message message = storeMessage();
    log.ConsoleLog("Store settings message (HEX): " + QString::fromStdString(hexText(message)));
    log.ConsoleLog(QString::number(message.size()));
    if (!messages_.linkFree("Save Parameters")) return Outcome::busy();
    if (!dialogs.confirm(QStringLiteral("Save Parameters to pedal?"))) return Outcome::cancelled();
    DeviceMessages::Exchange exchange(messages_, "Save Parameters");
    exchange.purgeTransmit();
    exchange.send(message);
    exchange.pause(AfterWriteMs);
    return Outcome::done();
}

void ParameterStore::btnRequestClick() {
    Communication& communication = link_;
    if (!messages_.linkFree("Request")) return;
    // Values read back are shown without being sent back; the handshake clears the flag when it
    // has applied the whole reply.
    communication.RequestInProgress = true;
    const auto requestEnds = qScopeGuard([&] { communication.RequestInProgress = false; });
    communication.ReadDeviceStatus();
}

void ParameterStore::OnClickEnableAllParameters() {
    EnableAllParameters = !EnableAllParameters;
    showAllParametersEnabled_(EnableAllParameters);
    if (!view_) return;
    for (Knob knob : {Knob::dialDry, Knob::dialSubMix, Knob::dialMinus1Oct, Knob::dialMinus2Oct,
                      Knob::dialRange}) {
        view_->setKnobEnabled(knob, EnableAllParameters);
    }
    for (Knob knob : {Knob::dialLowPass, Knob::dialHighPass, Knob::dial1stHarmonic}) {
        view_->setKnobEnabled(knob, true);
    }
}

}  // namespace korvanne
