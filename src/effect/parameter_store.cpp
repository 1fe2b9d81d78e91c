#include "effect/parameter_store.h"

#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/command_exchange.h"
#include "device/communication.h"
#include "device/device_messages.h"
#include "device/message_builders.h"
#include "effect/effect_context.h"
#include "effect/fx_settings.h"
#include "effect/parameter_catalogue.h"

namespace korvanne {

ParameterStore::ParameterStore(EffectContext& main) : main_(main) {}

std::string ParameterStore::storeMessage() const {
    // The nine assignable values in catalogue order; the standard ones are not stored.
    std::array<std::uint32_t, 9> values{};
    const ParameterRecords& records = main_.fxSettings().records;
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = records.value(static_cast<Param>(order(Param::InputLevel) + int(i)));
    }
    return msg::storeParameters(values);
}

Outcome ParameterStore::btnSaveParametersClick() {
    LogSink& log = main_.services().log;
    Dialogs& dialogs = main_.services().dialogs;
    const std::string text = storeMessage();
    log.ConsoleLog("Store settings message (HEX): " + QString::fromStdString(text));
    log.ConsoleLog(QString::number(text.size() / 2));
    if (!CommandExchange::linkFree(main_.messages(), "Save Parameters")) return Outcome::busy();
    if (!dialogs.confirm(QStringLiteral("Save Parameters to pedal?"))) return Outcome::cancelled();
    CommandExchange exchange(main_.messages(), "Save Parameters");
    exchange.purgeTransmit();
    exchange.send(text);
    exchange.pause(AfterWriteMs);
    return Outcome::done();
}

void ParameterStore::btnRequestClick() {
    Communication& communication = main_.communication();
    if (!CommandExchange::linkFree(main_.messages(), "Request")) return;
    // Values read back are shown without being sent back; the handshake clears the flag when it
    // has applied the whole reply.
    communication.RequestInProgress = true;
    communication.ReadDeviceStatus();
}

void ParameterStore::OnClickEnableAllParameters() {
    EnableAllParameters = !EnableAllParameters;
    main_.showAllParametersEnabled(EnableAllParameters);
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
