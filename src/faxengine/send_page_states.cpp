// The page output of the send machine: the header line, text and APF covers, and the page-data
// block loop.
#include <algorithm>
#include <array>
#include <vector>

#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/page_data.h"
#include "faxengine/send_constants.h"
#include "faxengine/send_machine.h"
#include "faximage/fax_errors.h"
#include "faximage/t4_codec.h"

namespace corvane::engine {

using namespace send;
using S = SendState;

void SendMachine::ZeroFill() {
    const std::size_t used = session().port.OutBuffUsed();
    if (used <= bufferMinimum) {
        PutFill(session(), bufferMinimum - used + 1);
    }
}

void SendMachine::PutTextRow(std::string_view text, int row) {
    faximage::T4Encoder& encoder = text_->converter->encoder;
    encoder.width = params().sessionWide ? faximage::kWideLineWidth : faximage::kStandardLineWidth;
    std::array<std::uint8_t, kBlockSize> raster{};
    faximage::RenderTextRow(*text_, text, row, raster);
    faximage::EncodeLine(encoder, raster.data());
    PutLine(session(), std::span(encoder.buffer.data(), static_cast<std::size_t>(encoder.bytePos)));
}

void SendMachine::PutTextRows(std::string_view text) {
    for (int row = 1; row <= text_->metrics.rows; ++row) {
        PutTextRow(text, row);
    }
}

int SendMachine::PutPageBlock() {
    FaxSessionData& d = data();
    FaxModemData& m = modem();
    std::size_t count = 0;
    if (m.lineMode) {
        std::array<std::uint8_t, 2> length{};
        if (const int code = fax_.Read(length); code != 0) {
            return code;
        }
        const std::size_t n = length[0] | (std::size_t{length[1]} << 8);
        if (n > kBlockSize ||
            d.bytesTransferred + 2 + static_cast<std::int64_t>(n) > d.pageLength) {
            return ecFaxBadFormat;
        }
        if (const int code = fax_.Read(std::span(m.dataBuffer.data(), n)); code != 0) {
            return code;
        }
        count = n;
        d.bytesTransferred += static_cast<std::int32_t>(n + 2);
    } else {
        count = static_cast<std::size_t>(
            std::min<std::int64_t>(kBlockSize, std::int64_t{d.pageLength} - d.bytesTransferred));
        if (const int code = fax_.Read(std::span(m.dataBuffer.data(), count)); code != 0) {
            return code;
        }
        d.bytesTransferred += static_cast<std::int32_t>(count);
    }
    m.dataCount = static_cast<std::uint16_t>(count);
    PutCodedData(session(), std::span(m.dataBuffer.data(), count));
    return 0;
}

void SendMachine::XONWait(const SessionEvent& event) {
    bool go = event.timeout;
    if (event.data && session().port.CharReady()) {
        go = session().port.GetChar() == kXON;
    }
    if (go) {
        ArmForPageData();
        SetTimeout(control().dataTimeout);
        SetState(S::BufferWait);
    }
}

void SendMachine::BufferWait(const SessionEvent& event) {
    if (BufferFreeEvent(event)) {
        data().faxProgress = kProgressSendingPage;
        SoftwareFlow(true);
        SetState(S::PageStart);
    } else if (event.timeout) {
        Fail(ecTimeout);
    }
}

void SendMachine::PageStart(const SessionEvent&) {
    // The header is stamped at the resolution the page goes out in.
    if (const int code = faximage::LoadFaxFont(*text_, "", faximage::kSmallFontBytesPerGlyph,
                                               params().sessionFine);
        code != 0) {
        Fail(code);
        return;
    }
    BeginPageData(session());
    PutBlankLines(session(), kHeaderBlankLines);
    if (!headerLine.empty()) {
        const std::string text = Expand(headerLine);
        ZeroFill();
        PutTextRows(text);
    }
    ZeroFill();
    SetState(data().coverFile.empty() ? S::PageDataStart : S::CoverStart);
}

void SendMachine::CoverStart(const SessionEvent&) {
    data().bytesTransferred = 0;
    if (const int code = OpenCover(); code != 0) {
        Fail(code);
        return;
    }
    if (coverIsApf_) {
        SetState(S::PageDataStart);
        return;
    }
    SetTimeout(control().dataTimeout);
    ArmBufferFree(kBlockSize + 1);
    data().faxProgress = kProgressSendingPage;
    SetState(S::CoverText);
}

void SendMachine::CoverText(const SessionEvent& event) {
    if (event.timeout) {
        ReportError(ecTimeout);
        modem().statusChanged = true;
        SetState(S::FaxFailed);
        return;
    }
    if (!BufferFreeEvent(event))
        return;
    ComPort& port = session().port;
    const auto atEnd = [&] { return coverText_.peek() == std::char_traits<char>::eof(); };
    // Row by row: one full-width line in the standard font can outgrow the
    // free half of the output buffer.
    while (port.OutBuffFree() > kBlockSize && (coverRow_ != 0 || !atEnd())) {
        if (coverRow_ == 0) {
            std::string line;
            std::getline(coverText_, line);
            if (coverText_.bad()) {
                Fail(ecDiskReadError);
                return;
            }
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.size() > kMaxCoverLine)
                line.resize(kMaxCoverLine);
            coverLine_ = Expand(line);
            coverRow_ = 1;
        }
        PutTextRow(coverLine_, coverRow_);
        coverRow_ = coverRow_ < text_->metrics.rows ? coverRow_ + 1 : 0;
    }
    if (coverRow_ != 0 || !atEnd()) {
        SetTimeout(control().dataTimeout);
        ArmBufferFree(kBlockSize + 1);
        return;
    }
    FinishPageData(session());
    if (Class1()) {
        EndData(session());
        data().faxProgress = kProgressSendingPage;
    }
    SetTimeout(control().dataTimeout);
    ArmBufferUsed();
    SetState(S::PageDrain);
}

void SendMachine::PageDataStart(const SessionEvent&) {
    BeginStoredPage(session());
    data().bytesTransferred = 0;
    data().pageLength = static_cast<std::int32_t>(
        std::min<std::uint32_t>(modem().pageHeader.dataLength, 0x7FFFFFFF));
    modem().statusChanged = true;
    SetTimeout(control().dataTimeout);
    ArmForPageData();
    SetState(S::PageData);
}

void SendMachine::PageData(const SessionEvent& event) {
    ComPort& port = session().port;
    FaxSessionData& d = data();
    if (event.timeout) {
        ReportError(ecTimeout);
        modem().statusChanged = true;
        SetState(S::FaxFailed);
        return;
    }
    if (event.data) {
        DiscardInput();
        return;
    }
    if (!BufferFreeEvent(event))
        return;
    const Clock& clock = session().clock;
    TickTimer keepAlive = StartTimer(clock, SecondsToTicks(3 * d.statusInterval));
    for (int blocks = 0; blocks < maxSendCount && port.OutBuffUsed() <= bufferMinimum &&
                         port.OutBuffFree() >= kBlockSize;
         ++blocks) {
        if (TimerExpired(keepAlive, clock)) {
            modem().statusChanged = false;
            ReportStatus(false, false);
            port.SetTimerTrigger(d.statusTimer, SecondsToTicks(d.statusInterval), true);
            keepAlive = StartTimer(clock, SecondsToTicks(2 * d.statusInterval));
        }
        if (d.bytesTransferred >= d.pageLength) {
            FinishPageData(session());
            if (Class1()) {
                EndData(session());
                d.faxProgress = kProgressSendingPage;
            }
            SetState(S::PageDrain);
            break;
        }
        if (const int code = PutPageBlock(); code != 0) {
            Fail(code);
            return;
        }
    }
    SetTimeout(control().dataTimeout);
    if (state() == S::PageDrain) {
        ArmBufferUsed();
    } else {
        ArmForPageData();
    }
}

void SendMachine::PageDrain(const SessionEvent& event) {
    ComPort& port = session().port;
    if (event.timeout) {
        Fail(ecTimeout);
        return;
    }
    if (event.data) {
        DiscardInput();
        return;
    }
    if (!BufferUsedEvent(event))
        return;
    SoftwareFlow(false);
    if (Class1()) {
        SetState(S::Class1DataEnd);
    } else if (Class20()) {
        const std::uint8_t end[] = {kDLE, static_cast<std::uint8_t>(MorePages() ? ',' : '.')};
        port.PutBlock(end);
        SetState(S::Class2PageEnd);
    } else {
        const std::uint8_t end[] = {kDLE, kETX};
        port.PutBlock(end);
        SetState(S::Class2PageEnd);
    }
    modem().statusChanged = true;
    data().faxProgress = kProgressSendingPage;
}

}  // namespace corvane::engine
