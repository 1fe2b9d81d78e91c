#include "cli/stream_log.h"

namespace korvanne {

bool StreamLog::openFile(const QString& path, QString* error) {
    file_.setFileName(path);
    if (file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return true;
    if (error) *error = file_.errorString();
    return false;
}

void StreamLog::ConsoleLog(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    if (file_.isOpen()) {
        file_.write(bytes);
        // A run that ends abruptly keeps every line written so far.
        file_.flush();
    }
    if (toStderr_) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), err_);
        std::fflush(err_);
    }
}

}  // namespace korvanne
