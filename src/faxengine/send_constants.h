// Codes, waits and sizes the send machine's states share.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane::engine::send {

inline constexpr std::uint32_t kBlockSize = 4096;
inline constexpr std::uint32_t kXONWaitTicks = 18;
inline constexpr std::uint32_t kPostPageReplyTicks = 54;
inline constexpr std::uint32_t kHangupReplyTicks = 26;
inline constexpr std::uint32_t kPageDataTicks = 546;
inline constexpr std::uint32_t kFrameWaitMs = 200;
inline constexpr std::uint32_t kPostPageWaitMs = 500;
inline constexpr std::uint32_t kTrainingGapMs = 75;
inline constexpr int kMaxPostPageTries = 3;
inline constexpr std::size_t kMaxCoverLine = 255;
inline constexpr int kHeaderBlankLines = 8;
inline constexpr std::uint8_t kXON = 17;
inline constexpr int ecNoFileName = -6010;
inline constexpr int ecDiskReadError = -100;
inline constexpr int ecFaxTrainError = -8072;
inline constexpr int ecFaxBusy = -8074;
inline constexpr int ecFaxVoiceCall = -8075;
inline constexpr int ecFaxNoDialTone = -8077;
inline constexpr int ecFaxNoCarrier = -8078;
inline constexpr int ecFaxSessionError = -8079;
inline constexpr int ecFaxPageError = -8080;

}  // namespace corvane::engine::send
