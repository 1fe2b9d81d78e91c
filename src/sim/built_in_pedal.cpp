#include "sim/built_in_pedal.h"

#include "core/resources.h"
#include "device/hex_text.h"
#include "sim/sim_transport.h"

namespace korvanne {

std::vector<std::uint8_t> builtInAlgorithmImage(int algorithm) {
    // Read with the simulated pedal's own reader, so a fault in the editor's image reading is
    // not mirrored by the pedal it is tested against.
    const QString name = QStringLiteral("KORVANNE_MK3_%1").arg(algorithm, 4, 10, QChar('0'));
    const std::optional<QByteArray> content = findResource(QStringLiteral("effects"), name);
    if (!content) return {};
    const qsizetype end = content->indexOf('\n');
    const QByteArray line = (end < 0 ? *content : content->left(end)).trimmed();
    return HexToBytes(line.toStdString()).value_or(std::vector<std::uint8_t>{});
}

std::unique_ptr<SimTransport> makeBuiltInSimulatedPedal(Clock& clock) {
    auto transport = std::make_unique<SimTransport>(clock);
    PedalOptions options;
    options.image = builtInAlgorithmImage(options.algorithm);
    transport->addPedal(std::move(options));
    return transport;
}

}  // namespace korvanne
