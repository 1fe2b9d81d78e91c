#pragma once

#include <QString>

namespace korvanne {

// Applies the built-in look (style sheet) of that name to the whole program. The name matches
// without regard to letter case ("Style_3" finds STYLE_3). A name with no such look changes
// nothing and returns false.
bool applyStyle(const QString& styleName);

// The resource name of the look last applied ("STYLE_0"), or empty before any.
QString appliedStyle();

}  // namespace korvanne
