#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace korvanne {

// Built-in resources by kind ("styles", "effects") and name, the name matched without regard to
// letter case: "octave" finds OCTAVE, "Style_3" finds STYLE_3.
std::optional<QByteArray> findResource(const QString& kind, const QString& name);

// The resource's path inside the program (":/effects/OCTAVE"), or empty when there is none.
QString resourcePath(const QString& kind, const QString& name);

}  // namespace korvanne
