#include "faxengine/port_trace.h"

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "faxengine/com_port.h"

namespace corvane::engine {

namespace {

// Bytes of one direction that follow each other this closely share a line.
constexpr std::uint32_t kRunGapMilliseconds = 55;
constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kTimeWidth = 14;  // as FormatTime writes it

std::string FormatTime(std::uint32_t milliseconds) {
    char text[24];
    std::snprintf(text, sizeof text, "%10u.%03u", milliseconds / 1000, milliseconds % 1000);
    return text;
}

std::string MessageName(std::uint32_t message) {
    switch (message) {
        case kMsgDataAvailable:
            return "data available";
        case kMsgTimerTrigger:
            return "timer trigger";
        case kMsgStatusTrigger:
            return "status trigger";
        default: {
            char text[16];
            std::snprintf(text, sizeof text, "message %04X", message);
            return text;
        }
    }
}

}  // namespace

std::string ReadableByte(std::uint8_t byte) {
    switch (byte) {
        case 3:
            return "<ETX>";
        case 10:
            return "<LF>";
        case 13:
            return "<CR>";
        case 16:
            return "<DLE>";
        case 17:
            return "<XON>";
        case 19:
            return "<XOFF>";
        default:
            break;
    }
    if (byte >= 32 && byte < 127) {
        return std::string(1, static_cast<char>(byte));
    }
    char text[8];
    std::snprintf(text, sizeof text, "<%02X>", byte);
    return text;
}

int Recorder::SetState(TraceLogState state) {
    using enum TraceLogState;
    int result = 0;
    switch (state) {
        case tlOn:
            if (state_ == tlOff) {
                Clear();
            }
            state_ = tlOn;
            break;
        case tlPause:
            if (state_ == tlOn) {
                state_ = tlPause;
            }
            break;
        case tlClear:
            Clear();
            break;
        case tlDump:
        case tlAppend:
            if (state_ != tlOff) {
                result = Write(state == tlAppend);
            }
            Clear();
            state_ = tlOff;
            break;
        case tlOff:
            Clear();
            state_ = tlOff;
            break;
    }
    return result;
}

int Recorder::WriteOnClose() {
    return state_ == TraceLogState::tlOff ? 0 : SetState(TraceLogState::tlDump);
}

int Recorder::Write(bool append) {
    if (fileName_.empty()) {
        return 0;
    }
    std::ofstream file(fileName_, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    if (!file) {
        return errno != 0 ? -errno : -5;
    }
    file << Render();
    file.close();
    return file ? 0 : -160;
}

void PortTrace::Record(std::uint32_t milliseconds, bool outgoing, std::uint8_t byte) {
    if (!Recording()) {
        return;
    }
    if (entries_.size() >= Capacity()) {
        entries_.pop_front();
    }
    entries_.push_back({milliseconds, outgoing, byte});
}

std::string PortTrace::Render() const {
    std::string out = std::string(kTimeWidth - 4, ' ') + "time dir  hex" +
                      std::string(kBytesPerLine * 3 - 2, ' ') + "text\n";
    std::size_t i = 0;
    while (i < entries_.size()) {
        const Entry& first = entries_[i];
        std::string hex;
        std::string text;
        std::size_t count = 0;
        std::uint32_t last = first.milliseconds;
        while (i < entries_.size() && count < kBytesPerLine &&
               entries_[i].outgoing == first.outgoing &&
               entries_[i].milliseconds - last <= kRunGapMilliseconds) {
            char byteHex[4];
            std::snprintf(byteHex, sizeof byteHex, "%02X ", entries_[i].byte);
            hex += byteHex;
            text += ReadableByte(entries_[i].byte);
            last = entries_[i].milliseconds;
            ++i;
            ++count;
        }
        hex.resize(kBytesPerLine * 3, ' ');
        out += FormatTime(first.milliseconds) + (first.outgoing ? " Out  " : " In   ") + hex + ' ' +
               text + '\n';
    }
    return out;
}

void DispatchLog::Add(std::uint32_t milliseconds, std::string text) {
    if (!Recording()) {
        return;
    }
    if (entries_.size() >= Capacity()) {
        entries_.pop_front();
    }
    entries_.push_back({milliseconds, std::move(text)});
}

void DispatchLog::RecordEvent(std::uint32_t milliseconds, std::uint32_t message, int handle) {
    Add(milliseconds, MessageName(message) + ", trigger " + std::to_string(handle));
}

void DispatchLog::Note(std::uint32_t milliseconds, std::string text) {
    Add(milliseconds, std::move(text));
}

std::string DispatchLog::Render() const {
    std::string out;
    for (const Entry& entry : entries_) {
        out += FormatTime(entry.milliseconds) + "  " + entry.text + '\n';
    }
    return out;
}

}  // namespace corvane::engine
