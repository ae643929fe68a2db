// The callers' side of "Find Modem" and "Check Fax Class", the same in the
// send dialog and Preferences: run the tool on the dialog's own port, then
// offer to apply what it found.
#pragma once

namespace corvane::sendui {

class DialogPort;
class PortGroup;
class RadioGroup;

// A modem on another Com port: "Set Com Port to Com N". A modem only on a
// device no Com port stands for: offers to let a free port (one whose
// device is missing) stand for it, writing the "Ports" section.
void RunFindModem(DialogPort& port, PortGroup& comPort);

// A recommended class other than the one chosen: "Set fax class as ... ?".
void RunCheckFaxClass(DialogPort& port, RadioGroup& faxClass, int portNumber);

}  // namespace corvane::sendui
