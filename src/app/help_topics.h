// Help topic numbers; each has a page in the help window.
#pragma once

namespace corvane::app {

inline constexpr int kHelpContents = 1009;
inline constexpr int kHelpFaxEditor = 1015;
inline constexpr int kHelpSendFax = 1016;
inline constexpr int kHelpPhoneBook = 1019;
inline constexpr int kHelpPhoneBookEditor = 1020;
inline constexpr int kHelpPreferences = 1022;
inline constexpr int kHelpCoverEditor = 1029;
inline constexpr int kHelpTemplatePicker = 1030;
inline constexpr int kHelpDeleteFax = 1031;
inline constexpr int kHelpTroubleshooting = 1032;

}  // namespace corvane::app
