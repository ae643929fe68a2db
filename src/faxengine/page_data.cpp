#include "faxengine/page_data.h"

#include <algorithm>

#include "faxengine/t30_frames.h"

namespace corvane::engine {

namespace {

// Put failures are left to the machines' timeouts.
void SendPacked(FaxSession& session) {
    PagePacker& packer = session.modem.packer;
    PutData(session, packer.Ready());
    packer.Taken();
}

}  // namespace

void PutData(FaxSession& session, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        session.port.PutChar(byte);
        if (byte == kDLE) {
            session.port.PutChar(kDLE);
        }
    }
}

void BeginPageData(FaxSession& session) {
    const SessionParameters& params = session.modem.params;
    session.modem.packer.Begin(params.minLineBytes, {params.sessionFine, params.sessionWide});
}

void BeginStoredPage(FaxSession& session) {
    session.modem.packer.SetSource({session.modem.PageFine(), session.modem.PageWide()});
}

void PutCodedData(FaxSession& session, std::span<const std::uint8_t> coded) {
    session.modem.packer.Add(coded);
    SendPacked(session);
}

void PutLine(FaxSession& session, std::span<const std::uint8_t> line) {
    PutCodedData(session, line);
    session.data.bytesTransferred += static_cast<std::int32_t>(
        std::max<std::size_t>(line.size(), session.modem.params.minLineBytes));
}

void PutBlankLines(FaxSession& session, int count) {
    session.modem.packer.AddWhiteLines(count);
    SendPacked(session);
}

void PutFill(FaxSession& session, std::size_t bytes) {
    session.modem.packer.AddFill(bytes);
    SendPacked(session);
}

void FinishPageData(FaxSession& session) {
    session.modem.packer.End();
    SendPacked(session);
}

void EndData(FaxSession& session) {
    session.port.PutChar(kDLE);
    session.port.PutChar(kETX);
}

}  // namespace corvane::engine
