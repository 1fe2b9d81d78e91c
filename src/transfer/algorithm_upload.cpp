#include "transfer/algorithm_upload.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "core/clock.h"
#include "core/dialogs.h"
#include "core/log_sink.h"
#include "core/services.h"
#include "device/communication.h"
#include "device/d2xx_unit.h"
#include "device/device_messages.h"
#include "transfer/algorithm_image.h"
#include "transfer/effect_resources.h"
#include "transfer/transfer_context.h"

namespace korvanne {

AlgorithmUpload::AlgorithmUpload(TransferContext& main, Communication& link)
    : main_(main), link_(link) {}

void AlgorithmUpload::sendBypassOn() {
    // The running exchange holds the door, so the bypass leaves at once, before what follows.
    main_.SendBypass(true);
}

void AlgorithmUpload::UploadCheckTimerTimer() {
    main_.transferView().setStatusText("Upload Failed");
}

void AlgorithmUpload::showFailed() {
    main_.transferView().setStatusText("Upload Failed");
    main_.UploadCheckTimer().stop();
}

AlgorithmUpload::Wait AlgorithmUpload::waitForAnswer(bool logReads, QString& statusText) {
    D2xxUnit& unit = main_.unit();
    Clock& clock = main_.services().clock;
    LogSink& log = main_.services().log;
    bool gone = false;
    const auto dataWaiting = [&] {
        if (unit.GetFTQueueStatus() != ft::OK) {
            gone = true;
            return true;
        }
        return unit.RxQueueCount > 0;
    };
    const bool arrived = clock.waitUntil(dataWaiting, AnswerLimitMs);
    if (gone) return Wait::DeviceGone;
    if (!arrived) {
        log.ConsoleLog(
            QStringLiteral("no answer to the upload within %1 s").arg(AnswerLimitMs / 1000));
        return Wait::NoAnswer;
    }
    // The answer may come in pieces: read until the line stays quiet. The status shows only
    // bytes of this answer, never older bytes of the receive buffer.
    std::vector<std::uint8_t> answer;
    for (;;) {
        const std::uint32_t n = unit.ReadFTDevice(D2xxUnit::BufferSize);
        if (logReads) log.ConsoleLog("num of bytes received from device: " + QString::number(n));
        if (n == 0) break;
        answer.insert(answer.end(), unit.RxBuffer.begin(), unit.RxBuffer.begin() + n);
        const auto shown = std::min<std::size_t>(answer.size(), StatusChars);
        const QString text =
            QString::fromLatin1(reinterpret_cast<const char*>(answer.data()), qsizetype(shown));
        log.ConsoleLog("received: " + text);
        main_.transferView().setStatusText(text);
        statusText = text;
        clock.waitUntil(dataWaiting, DeviceMessages::QuietLimitMs);
        if (gone) break;
    }
    return Wait::Answered;
}

Outcome AlgorithmUpload::outcomeOf(Wait wait, const QString& answer) const {
    if (wait == Wait::DeviceGone) return Outcome::failed(Communication::DisconnectedMessage);
    if (wait == Wait::NoAnswer || answer.isEmpty()) return Outcome::failed(NoAnswerMessage);
    // The pedal says in its answer whether it took the image.
    if (answer.contains(QStringLiteral("ERROR"), Qt::CaseInsensitive)) {
        return Outcome::failed(answer);
    }
    return Outcome::done(answer);
}

Outcome AlgorithmUpload::btnUploadClick() {
    TransferView& view = main_.transferView();
    DeviceMessages& messages = main_.messages();
    Dialogs& dialogs = main_.services().dialogs;
    LogSink& log = main_.services().log;
    D2xxUnit& unit = main_.unit();
    // The whole upload is one exchange, its answer wait included: nothing else reaches the
    // pedal meanwhile and the poll leaves the answer to the wait.
    DeviceMessages::Exchange exchange(messages, "Upload Selected");
    if (!exchange) return Outcome::busy();
    main_.Timer_USB_Read().stop();
    if (!dialogs.confirm(Question)) {
        main_.Timer_USB_Read().start();
        return Outcome::cancelled();
    }
    sendBypassOn();
    main_.services().clock.pause(BypassPauseEmbeddedMs);
    unit.ErrorReportEnabled = true;
    main_.UploadCheckTimer().start();

    EffectCatalogue& catalogue = main_.effectCatalogue();
    const QString name = EffectCatalogue::resourceNameOf(catalogue.SelectedEffectName);
    log.ConsoleLog("resource name: " + name);
    if (const ResourceLoad load = catalogue.LoadResourceText(name); !load.ok()) {
        dialogs.inform(load.error);
        showFailed();
        main_.Timer_USB_Read().start();
        return Outcome::failed(load.error);
    }
    const QString text = catalogue.imageLine();
    log.ConsoleLog("size: " + QString::number(text.size() / 2));
    log.ConsoleLog(EffectCatalogue::fileContentLogLine(text));
    const std::string line = text.toStdString();
    const Message image = decodeImageLine(line);
    log.ConsoleLog("num of bytes: " + QString::number(image.size()));
    // Only converted bytes are sent. The request drops stale received bytes first, so they are
    // not taken for the answer.
    if (!image.empty()) messages.SendRequest(image);

    log.ConsoleLog("write to device");
    view.setStatusText("Uploading...");

    QString answer;
    const Wait wait = waitForAnswer(false, answer);
    switch (wait) {
        case Wait::DeviceGone:
            showFailed();
            return outcomeOf(wait, answer);
        case Wait::NoAnswer:
            showFailed();
            main_.Timer_USB_Read().start();
            return outcomeOf(wait, answer);
        case Wait::Answered:
            break;
    }
    // The answer is in: the check must not call it failed during the status request.
    main_.UploadCheckTimer().stop();
    link_.ReadDeviceStatus();
    main_.Timer_USB_Read().start();
    return outcomeOf(wait, answer);
}

QString AlgorithmUpload::fileQuestion(const QString& path) {
    return "Upload the algorithm image " + QFileInfo(path).fileName() + " to the pedal?";
}

Outcome AlgorithmUpload::readImageFile(const QString& path, QByteArray& bytes) {
    const QString full = QFileInfo(path).absoluteFilePath();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Outcome::failed("Cannot open " + full + ": " + file.errorString());
    }
    // One byte beyond the largest upload tells a file that is too large.
    bytes = file.read(qint64(MaxUploadBytes) + 1);
    if (bytes.isEmpty() && file.error() != QFileDevice::NoError) {
        return Outcome::failed("Cannot read " + full + ": " + file.errorString());
    }
    const AlgorithmImage image(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    if (const std::string why = image.fault(); !why.empty()) {
        return Outcome::refused(QFileInfo(path).fileName() +
                                " is not an algorithm image: " + QString::fromStdString(why) + ".");
    }
    return Outcome::done();
}

Outcome AlgorithmUpload::menuLoadAlgorithmFromFileClick() {
    DeviceMessages& messages = main_.messages();
    Dialogs& dialogs = main_.services().dialogs;
    LogSink& log = main_.services().log;
    D2xxUnit& unit = main_.unit();
    DeviceMessages::Exchange exchange(messages, "Load Effect From File");
    if (!exchange) return Outcome::busy();
    const QString path =
        dialogs.openFile("Load Effect From File", FileFilter, {}, OpenDialogFolder);
    if (path.isEmpty()) return Outcome::cancelled();
    OpenDialogFolder = QFileInfo(path).absolutePath();
    log.ConsoleLog("Opening - " + QFileInfo(path).absoluteFilePath());
    // The file is read and checked before the question: a file that is not an algorithm image
    // never reaches the pedal, which is not put in bypass for it either.
    QByteArray bytes;
    if (const Outcome read = readImageFile(path, bytes); !read.ok()) {
        log.ConsoleLog(read.sentence);
        dialogs.inform(read.sentence);
        return read;
    }
    if (!dialogs.confirm(fileQuestion(path))) return Outcome::cancelled();
    sendBypassOn();
    main_.services().clock.pause(BypassPauseFileMs);
    unit.ErrorReportEnabled = true;
    main_.UploadCheckTimer().start();

    // Stale received bytes must not be taken for the answer.
    unit.PurgeFTReceive();
    std::copy(bytes.begin(), bytes.end(), unit.TxBuffer.begin());
    const std::uint32_t written = unit.WriteFTDevice(static_cast<std::uint32_t>(bytes.size()));
    log.ConsoleLog(QString::number(written) + " Bytes Sent ...");

    QString answer;
    const Wait wait = waitForAnswer(true, answer);
    if (wait != Wait::Answered) {
        showFailed();
        return outcomeOf(wait, answer);
    }
    main_.UploadCheckTimer().stop();
    return outcomeOf(wait, answer);
}

}  // namespace korvanne
