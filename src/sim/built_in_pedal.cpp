#include "sim/built_in_pedal.h"

#include "sim/sim_transport.h"
#include "transfer/algorithm_image.h"
#include "transfer/effect_resources.h"

namespace korvanne {

std::vector<std::uint8_t> builtInAlgorithmImage(int algorithm) {
    EffectCatalogue catalogue;
    const QString name = QStringLiteral("KORVANNE_MK3_%1").arg(algorithm, 4, 10, QChar('0'));
    if (!catalogue.LoadResourceText(name).ok()) return {};
    return decodeImageLine(catalogue.imageLine().toStdString());
}

std::unique_ptr<SimTransport> makeBuiltInSimulatedPedal(Clock& clock) {
    auto transport = std::make_unique<SimTransport>(clock);
    PedalOptions options;
    options.image = builtInAlgorithmImage(options.algorithm);
    transport->addPedal(std::move(options));
    return transport;
}

}  // namespace korvanne
