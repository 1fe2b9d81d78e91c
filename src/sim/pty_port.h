#pragma once

#include <string>

namespace korvanne {

// A pseudo-terminal in raw mode, so CR, LF and every other byte pass unchanged. The program
// serves the master side; a client opens slavePath() like any serial port.
class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Returns false and fills error when the pseudo-terminal cannot be made.
    bool open(std::string& error);
    void close();

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    // Kept open so the master never reads end-of-file while no client has the port open.
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace korvanne
