#include "faxengine/cv_receive_fax.h"

#include <ctime>

#include "faxengine/receive_machine.h"

namespace corvane::engine {

namespace {
constexpr std::size_t kMaxFileName = 255;
}  // namespace

CvCustomReceiveFax::CvCustomReceiveFax(const Clock& clock, Platform& platform)
    : CvAbstractFax(clock, platform) {
    faxClass = FaxClass::fcDetect;
}

std::unique_ptr<SessionDriver> CvCustomReceiveFax::CreateMachine(FaxSession& session) {
    return std::make_unique<ReceiveMachine>(session, *this);
}

ReceiveMachine* CvCustomReceiveFax::receiveMachine() const {
    return static_cast<ReceiveMachine*>(machine());
}

void CvCustomReceiveFax::HandleAccept(bool& accept) {
    accept = true;
    if (onFaxAccept)
        onFaxAccept(*this, accept);
}

void CvCustomReceiveFax::HandleFileName(std::string& name, std::size_t maxLength) {
    if (onFaxName) {
        onFaxName(*this, name);
    } else {
        const std::time_t now = std::time(nullptr);
        std::tm today{};
        localtime_r(&now, &today);
        name = DefaultReceiveName(receiveNaming, destinationDir, faxFileExt, today);
    }
    if (name.size() > maxLength)
        name.resize(maxLength);
}

void CvCustomReceiveFax::FileNameMessage() {
    HandleFileName(faxFile, kMaxFileName);
}

bool CvCustomReceiveFax::AcceptMessage() {
    bool accept = true;
    HandleAccept(accept);
    return accept;
}

void CvCustomReceiveFax::ApplySettings() {
    CvAbstractFax::ApplySettings();
    FaxSession& s = *session();
    s.modem.answerOnRing = answerOnRing;
    s.modem.faxAndData = faxAndData ? '1' : '0';
    s.data.destinationDir = destinationDir;
    ReceiveMachine& m = *receiveMachine();
    m.oneFax = oneFax;
    m.constantStatus = constantStatus;
}

void CvCustomReceiveFax::StartReceive() {
    CheckPort();
    ApplySettings();
    receiveMachine()->StartSession();
}

int CvCustomReceiveFax::CurrentPage() const {
    return session() ? session()->data.currentPage : 0;
}

std::int32_t CvCustomReceiveFax::BytesTransferred() const {
    return session() ? session()->data.bytesTransferred : 0;
}

}  // namespace corvane::engine
