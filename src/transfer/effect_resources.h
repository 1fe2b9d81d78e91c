#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "transfer/algorithm_image.h"

namespace korvanne {

class LogSink;

// Outcome of loading a built-in resource: empty error on success, otherwise a text naming the
// resource, for the application's general error report.
struct [[nodiscard]] ResourceLoad {
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// The effect list and the algorithm images built into the program, and the state shared around
// them: the last loaded resource text, the effect last picked and the newest algorithm carried.
class EffectCatalogue {
public:
    // Lines of the resource loaded last: the effect list after start-up, otherwise an image
    // (one line). Each successful load replaces it whole.
    QStringList ResourceLines;
    // The effect last taken up by GetResourceFile; empty until the first pick.
    QString SelectedEffectName;
    // The newest algorithm number carried (14 with the delivered list); 0 until the list is read.
    std::uint32_t LatestAlgorithmNumber = 0;

    // Reads the named resource (letter case ignored) as 8-bit text; CR LF ends a line (a lone CR
    // or LF too, so a list saved with other line ends still reads as lines). A resource that does
    // not exist is an error naming it, and ResourceLines keeps what it held.
    ResourceLoad LoadResourceText(const QString& name);

    // Loads the effect list ("octave"); its lines are then the items of the list box, and stay
    // the effect names after an image is loaded.
    ResourceLoad loadEffectList() {
        ResourceLoad load = LoadResourceText(QStringLiteral("octave"));
        if (load.ok()) effectNames_ = ResourceLines;
        return load;
    }
    QStringList effectListLines() const { return ResourceLines; }
    // The effect at a position of the list last loaded; empty when there is none.
    QString effectName(int index) const { return effectNames_.value(index); }
    QStringList effectNames() const { return effectNames_; }

    // Sets LatestAlgorithmNumber from the first list item ("Korvanne MK3 0014" -> 14). An empty
    // or unreadable item leaves it unchanged and returns false instead of stopping start-up.
    bool setLatestFromFirstItem(const QString& firstItem);

    // Takes the list item `index` with text `itemText` as the selected effect and loads its
    // image, logging each step ("efx index :0", "selected effect name: ...", "resource name: ...",
    // "filecontent (first 128 bytes): ..."). Stops with the loader's error when the image is
    // missing.
    ResourceLoad GetResourceFile(int index, const QString& itemText, LogSink& log);

    // Loads the image of SelectedEffectName with its "resource name: " and "filecontent ..." log
    // lines; also what the effect window does each time it is shown.
    ResourceLoad loadSelectedEffectImage(LogSink& log);

    // Line 0 of ResourceLines (the image after a pick), empty when there is none.
    QString imageLine() const { return ResourceLines.value(0); }
    // Line 0 decoded into the image's bytes.
    AlgorithmImage currentImage() const;

    // The algorithm resource name of an effect name (see EffectResourceName).
    static QString resourceNameOf(const QString& effectName);
    // "filecontent (first 128 bytes): " and the first 256 characters of the line.
    static QString fileContentLogLine(const QString& line);
    // Splits 8-bit text into lines the way LoadResourceText does.
    static QStringList splitLines(const QByteArray& text);

private:
    QStringList effectNames_;
};

}  // namespace korvanne
