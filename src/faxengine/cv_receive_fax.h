// The receive component: answers calls on its port until cancelled, asks
// its owner (or its events) whether to take each caller and what to name
// the file, and reports status, log lines, errors and the finish.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "faxengine/fax_components.h"
#include "faxengine/receive_files.h"

namespace corvane::engine {

class ReceiveMachine;

class CvCustomReceiveFax : public CvAbstractFax {
  public:
    CvCustomReceiveFax(const Clock& clock, Platform& platform);

    std::function<void(CvCustomReceiveFax&, bool& accept)> onFaxAccept;
    std::function<void(CvCustomReceiveFax&, std::string& name)> onFaxName;

    virtual void HandleAccept(bool& accept);
    // name comes back at most maxLength characters long.
    virtual void HandleFileName(std::string& name, std::size_t maxLength);

    void StartReceive();

    std::uint16_t answerOnRing = 1;
    bool faxAndData = false;
    bool oneFax = false;
    bool constantStatus = false;
    std::string destinationDir;
    ReceiveNaming receiveNaming = ReceiveNaming::rnNumbered;

    int TotalPages() const override { return 0; }
    int CurrentPage() const override;
    std::int32_t BytesTransferred() const override;
    std::int32_t PageLength() const override { return 0; }

  protected:
    std::unique_ptr<SessionDriver> CreateMachine(FaxSession& session) override;
    void FileNameMessage() override;
    bool AcceptMessage() override;
    void ApplySettings() override;

  private:
    ReceiveMachine* receiveMachine() const;
};

using CvReceiveFax = CvCustomReceiveFax;

}  // namespace corvane::engine
