#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/outcome.h"
#include "transfer/memory_dump.h"

namespace korvanne {

class Communication;

class ConsoleTools;
class LinkContext;
class Timer;

// "Erase Settings": wipes the pedal's settings memory after a warning and offers a memory check.
// The check itself runs on the poll's reads: whenever a read starts with the dump marker, the
// dump is collected across reads, every byte is logged, and the user is told whether the memory
// is empty. A dump that stops short is reported as such once the line has been quiet for
// DumpQuietLimitMs.
class EraseSettings {
public:
    static constexpr int EraseSettleMs = 4000;
    // Longest gap between two pieces of a dump; at line speed the whole dump takes about 1.4 s
    // and arrives with every 50 ms poll.
    static constexpr int DumpQuietLimitMs = 1000;
    static inline const QString EmptyMessage = QStringLiteral("Memory is empty");
    static inline const QString NotEmptyMessage = QStringLiteral("Memory is not empty");
    static inline const QString CheckQuestion =
        QStringLiteral("Memory has been erased, do you want to make a memory check now?");
    static QString Warning();
    // "Memory check failed: the pedal sent N of 16,384 bytes".
    static QString IncompleteMessage(std::size_t received);

    // The memory check reads the dump through `link`'s poll.
    EraseSettings(LinkContext& main, Communication& link, ConsoleTools& tools);
    ~EraseSettings();

    // Done once the memory is erased, whether or not a memory check was asked for.
    Outcome menuEraseSettingsClick();
    // One read of the poll.
    void CheckMemoryDump(const std::vector<std::uint8_t>& read);
    // The verdict of the last memory check, as the user is told it: Done when the memory is
    // empty, Failed when it is not or the dump stopped short. Nothing before a verdict.
    const std::optional<Outcome>& memoryCheckVerdict() const { return verdict_; }

    bool dumpInProgress() const { return dump_.collecting(); }

private:
    void logContent(std::size_t from);
    void judge();
    void quietLimitPassed();

    LinkContext& main_;
    Communication& link_;
    ConsoleTools& tools_;
    MemoryDumpCollector dump_;
    std::unique_ptr<Timer> quietLimit_;
    // A memory check was asked for and no dump has started yet.
    bool awaitingDump_ = false;
    std::optional<Outcome> verdict_;
};

}  // namespace korvanne
