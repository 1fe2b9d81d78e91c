#pragma once

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

namespace korvanne::test {

// A stream that reads `text` and then ends.
struct InputStream {
    explicit InputStream(const QByteArray& text) : bytes(text) {
        // fmemopen cannot open an empty buffer for reading on every C library.
        file = bytes.isEmpty() ? std::fopen("/dev/null", "r")
                               : fmemopen(bytes.data(), size_t(bytes.size()), "r");
    }
    ~InputStream() {
        if (file) std::fclose(file);
    }
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;
    QByteArray bytes;
    std::FILE* file = nullptr;
};

// A stream that collects what is written to it.
struct OutputStream {
    OutputStream() : file(open_memstream(&buffer, &size)) {}
    ~OutputStream() {
        std::fclose(file);
        std::free(buffer);
    }
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;
    QByteArray text() {
        std::fflush(file);
        return QByteArray(buffer, qsizetype(size));
    }
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file;
};

}  // namespace korvanne::test
