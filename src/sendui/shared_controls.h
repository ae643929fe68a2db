// Controls and advice texts the send dialog and Preferences share. Hints
// use "\r" for a line break.
#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

namespace corvane::sendui {

inline constexpr char kModemInitHint[] =
    "(You should not need to do this). \rEnter extra modem init string here. If you use \ran "
    "init string here, it will be sent just before \rthe default init: ('ATE0Q0V1X4S0=0'). The "
    "init \rstring should not contain an 'AT' prefix.";
inline constexpr char kSendDialPrefixHint[] =
    "Enter the dial prefix here. If your telephone system \rrequires special numbers or codes "
    "when \rdialing out, you can specify them here. Do not \rinclude 'ATD' or a 'T' or 'P' "
    "tone/pulse modifier \rin the dial prefix";
inline constexpr char kPreferencesDialPrefixHint[] =
    "Enter the dial prefix here. If your telephone \rsystem requires special numbers or "
    "codes\rwhen dialing out, you can specify them once \rhere rather than in every fax number. "
    "Do not \rinclude 'ATD' or a 'T' or 'P' tone/pulse modifier \rin the dial prefix";
inline constexpr char kBlindDialHint[] =
    "If the modem is not connected to a phone line \rwhich supplies a dial tone, check  Blind "
    "Dial.\r\r(This is the same as sending the ATX3 modem command)";
inline constexpr char kIgnoreBusyHint[] =
    "Check this box to ignore busy signals. \r\r( In certain countries, some modems "
    "falsely\rinterpret the phone ringing as a busy  signal. \rONLY CHECK THIS BOX IF THIS "
    "SITUATION\rAPPLIES TO YOU!. This is the same as sending\rthe ATX2 modem command)";
inline constexpr char kTransferRateHint[] =
    "This is the maximum transfer rate or BPS of the \rfax session. We recommend leaving it at "
    "9600.\rSetting it at a lower rate (7200,4800 or 2400) \rcan increase reliability in some "
    "cases, but \rwill also mean a longer time to send the fax.";
inline constexpr char kFaxClassHint[] =
    "You should usually leave this as 'auto detect', \rhowever if problems occur, try another "
    "class.\r\r( You can click the Check Fax Class button below\rto have the program attempt to "
    "determine the \rclass of your faxmodem)";
inline constexpr char kComPortHint[] =
    "Select the communications port for your faxmodem here\r\r( You can click the Find Modem "
    "button below to have\rthe program try to find the port where your faxmodem \ris located)";

// An edit of at most maxLength characters (32767: no limit) where Enter
// moves on, with its hint when given.
QLineEdit* MakeHintedEdit(QWidget* parent, const char* objectName, int maxLength,
                          const char* hint = nullptr);
QCheckBox* MakeHintedCheckBox(QWidget* parent, const char* objectName, const QString& caption,
                              const char* hint);

// "TransferRate": the six rates, no item selected, with its hint.
QComboBox* MakeTransferRateList(QWidget* parent);

class RadioGroup;
// "Fax &class": auto detect, class 1, class 2, class 2.0, with its hint.
RadioGroup* MakeFaxClassGroup(const char* objectName, QWidget* parent);
// "Tone or Pulse" in two columns.
RadioGroup* MakeToneOrPulseGroup(const char* objectName, QWidget* parent);

}  // namespace corvane::sendui
