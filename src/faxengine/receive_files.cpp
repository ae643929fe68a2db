#include "faxengine/receive_files.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "faximage/fax_errors.h"

namespace corvane::engine {

namespace {
constexpr int ecDeviceWrite = -160;
constexpr int ecFileNotOpen = -103;

std::string TwoDigits(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", n % 100);
    return text;
}

std::uint32_t DateStampNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return faximage::PackDateStamp(local);
}
}  // namespace

std::string DefaultReceiveName(ReceiveNaming naming, const std::string& dir, const std::string& ext,
                               const std::tm& today) {
    if (naming == ReceiveNaming::rnNone) {
        return "noname.apf";
    }
    std::string prefix = dir;
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != ':') {
        prefix += '/';
    }
    prefix += naming == ReceiveNaming::rnDated
                  ? TwoDigits(today.tm_mon + 1) + TwoDigits(today.tm_mday)
                  : std::string("FAX");
    for (int n = 1; n <= 9999; ++n) {
        char number[8];
        std::snprintf(number, sizeof number, "%04d", n);
        std::string name = prefix + number + "." + ext;
        std::error_code error;
        if (!std::filesystem::exists(name, error) && !error) {
            return name;
        }
    }
    return "NONAME.APF";
}

std::string SafeRemoteID(std::string_view id) {
    std::string safe(id.substr(0, faximage::kStationIdMaxLength));
    for (char& c : safe) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E) {
            c = '?';
        }
    }
    return safe;
}

void EndOfPageWatch::Add(std::uint8_t byte) {
    for (int bit = 0; bit < 8 && !PageEnded(); ++bit) {
        if (((byte >> bit) & 1) == 0) {
            ++zeros_;
            continue;
        }
        // Eleven zeros and a one make an end-of-line code; any other one is line data.
        eolRun_ = zeros_ >= 11 ? eolRun_ + 1 : 0;
        zeros_ = 0;
    }
}

void TrainingCheckTally::Add(std::uint8_t byte) {
    recent_[count_ % kTailBytes] = byte;
    ++count_;
    if (byte != 0) {
        ++nonzero_;
    }
}

bool TrainingCheckTally::Passes() const {
    const std::size_t tail = std::min(count_, kTailBytes);
    const std::size_t judged = count_ - tail;
    std::size_t nonzero = nonzero_;
    for (std::size_t i = 0; i < tail; ++i) {
        nonzero -= recent_[i] != 0 ? 1 : 0;
    }
    return judged > 0 && nonzero * 100 < judged * kNonzeroLimitPercent;
}

int ReceiveFile::Create(const std::string& path, const std::string& remoteID) {
    Close();
    if (path.empty()) {
        return ecFileNotFound;
    }
    file_ = std::fopen(path.c_str(), "w+b");
    if (file_ == nullptr) {
        return FileErrorCode(errno);
    }
    path_ = path;
    header_ = faximage::NewFileHeader();
    buffered_ = 0;
    end_ = faximage::kApfFileHeaderSize;
    pageStart_ = -1;
    pageLength_ = 0;
    return WriteHeader(remoteID);
}

int ReceiveFile::BeginPage(std::uint16_t pageFlags) {
    if (file_ == nullptr) {
        return ecFileNotOpen;
    }
    if (pageStart_ >= 0) {
        DiscardPage();
    }
    pageStart_ = end_;
    pageFlags_ = pageFlags;
    pageLength_ = 0;
    const auto bytes = faximage::EncodePageHeader({0, pageFlags});
    if (const int code = WriteAt(end_, bytes.data(), bytes.size()); code != 0) {
        return code;
    }
    end_ += faximage::kApfPageHeaderSize;
    return 0;
}

int ReceiveFile::Store(std::uint8_t byte) {
    if (file_ == nullptr) {
        return ecFileNotOpen;
    }
    if (pageStart_ < 0) {
        return 0;  // outside a page the data has no place in the chain
    }
    buffer_[buffered_++] = byte;
    ++pageLength_;
    return buffered_ == kBlockSize ? Flush() : 0;
}

int ReceiveFile::Flush() {
    if (file_ == nullptr) {
        return buffered_ == 0 ? 0 : ecFileNotOpen;
    }
    if (buffered_ == 0) {
        return 0;
    }
    const std::size_t size = buffered_;
    buffered_ = 0;
    if (const int code = WriteAt(end_, buffer_, size); code != 0) {
        return code;
    }
    end_ += static_cast<long>(size);
    return 0;
}

int ReceiveFile::EndPage(const std::string& remoteID) {
    if (file_ == nullptr) {
        return ecFileNotOpen;
    }
    if (pageStart_ < 0) {
        return 0;
    }
    if (const int code = Flush(); code != 0) {
        return code;
    }
    const auto bytes = faximage::EncodePageHeader({pageLength_, pageFlags_});
    if (const int code = WriteAt(pageStart_, bytes.data(), bytes.size()); code != 0) {
        return code;
    }
    pageStart_ = -1;
    ++header_.pageCount;
    return WriteHeader(remoteID);
}

int ReceiveFile::DiscardPage() {
    if (file_ == nullptr || pageStart_ < 0) {
        return 0;
    }
    buffered_ = 0;
    end_ = pageStart_;
    pageStart_ = -1;
    pageLength_ = 0;
    if (std::fflush(file_) != 0 || ::ftruncate(fileno(file_), end_) != 0) {
        return Failed(FileErrorCode(errno));
    }
    return 0;
}

void ReceiveFile::Close() {
    if (file_ == nullptr) {
        return;
    }
    DiscardPage();
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

int ReceiveFile::WriteHeader(const std::string& remoteID) {
    // Padded to the full 20 characters, as received files always were.
    std::string station = remoteID.substr(0, faximage::kStationIdMaxLength);
    station.resize(faximage::kStationIdMaxLength, ' ');
    faximage::SetStationId(header_, station);
    header_.dateStamp = DateStampNow();
    const auto bytes = faximage::EncodeFileHeader(header_);
    if (const int code = WriteAt(0, bytes.data(), bytes.size()); code != 0) {
        return code;
    }
    if (std::fflush(file_) != 0) {
        return Failed(FileErrorCode(errno));
    }
    return 0;
}

int ReceiveFile::WriteAt(long offset, const void* bytes, std::size_t size) {
    if (std::fseek(file_, offset, SEEK_SET) != 0) {
        return Failed(FileErrorCode(errno));
    }
    errno = 0;
    if (std::fwrite(bytes, 1, size, file_) != size) {
        return Failed(errno == 0 ? ecDeviceWrite : FileErrorCode(errno));
    }
    return 0;
}

// After a write error the file is cut back to its complete pages and
// closed; the complete pages were already described by the file header.
int ReceiveFile::Failed(int code) {
    std::FILE* file = file_;
    file_ = nullptr;
    const long keep = pageStart_ >= 0 ? pageStart_ : end_;
    pageStart_ = -1;
    buffered_ = 0;
    std::fflush(file);
    if (::ftruncate(fileno(file), keep) != 0) {
        // Nothing more to do: the header still counts only complete pages.
    }
    std::fclose(file);
    return code;
}

}  // namespace corvane::engine
