#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

#include "core/outcome.h"

namespace korvanne {

class Communication;

class TransferContext;

// Sending an algorithm to the linked pedal, the embedded image of the effect last picked
// ("Upload Selected") or the raw bytes of a file that holds an algorithm image ("Load Effect From
// File"), and showing the
// pedal's answer in the status label. The answer is awaited for at most AnswerLimitMs; the link
// stays busy meanwhile, so no other exchange (nor the poll) takes the answer.
class AlgorithmUpload {
public:
    static constexpr std::size_t MaxUploadBytes = 65536;
    static constexpr int AnswerLimitMs = 15'000;
    static constexpr int BypassPauseEmbeddedMs = 40;
    static constexpr int BypassPauseFileMs = 400;
    static constexpr int StatusChars = 17;
    static inline const QString Question = QStringLiteral("Upload the selected algorithm?");
    static inline const QString FileFilter = QStringLiteral("Dat files (*.dat)|*.dat");

    static inline const QString NoAnswerMessage =
        QStringLiteral("The pedal did not answer the upload.");

    // `link` reads the status after a good answer.
    AlgorithmUpload(TransferContext& main, Communication& link);

    // Done with the pedal's answer, or Failed with it when the pedal reports an error.
    Outcome btnUploadClick();
    Outcome menuLoadAlgorithmFromFileClick();
    void UploadCheckTimerTimer();

    // The question asked before a file is uploaded: it names the file.
    static QString fileQuestion(const QString& path);
    // Reads an algorithm file whole: Done with its bytes, Failed when it cannot be read, Refused
    // with the reason when it is not an algorithm image. Both front ends check a file with it
    // before anything reaches the pedal.
    static Outcome readImageFile(const QString& path, QByteArray& bytes);

    // Puts the pedal in bypass before an upload or a firmware upgrade: 0D 01, through the
    // context's bypass sender.
    void sendBypassOn();

    // OpenDialog1's initial folder: the folder of the file chosen last.
    QString OpenDialogFolder;

private:
    enum class Wait { Answered, NoAnswer, DeviceGone };
    // Waits for the pedal's answer and shows it (also in `statusText`); each read is logged when
    // `logReads`.
    Wait waitForAnswer(bool logReads, QString& statusText);
    // What an upload the pedal answered (or did not) comes to.
    Outcome outcomeOf(Wait wait, const QString& answer) const;
    // The upload ended without an answer: "Upload Failed" stays and the check timer stops.
    void showFailed();

    TransferContext& main_;
    Communication& link_;
};

}  // namespace korvanne
