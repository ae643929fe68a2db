// The values one cover sheet is drawn from: nine texts, addressed by index
// from template value fields and by name from the command line, and five
// importance flags in the order the cover data file stores them.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace corvane::covers {

struct CoverValues {
    std::string Date;
    std::string Time;
    std::string Regarding;
    std::string Recipient;
    std::string RecipientFax;
    std::string SenderName;
    std::string SenderCompany;
    std::string SenderFax;
    std::string SenderVoice;
    bool Urgent = false;
    bool ForReview = false;
    bool PleaseComment = false;
    bool PleaseReply = false;
    bool PleaseRecycle = false;
};

struct CoverTextField {
    std::string_view name;
    std::string CoverValues::*member;
};
struct CoverFlagField {
    std::string_view name;
    bool CoverValues::*member;
};

// In index order: a template value field's FieldIndex picks one of these.
inline constexpr std::array<CoverTextField, 9> kCoverTexts{{
    {"Date", &CoverValues::Date},
    {"Time", &CoverValues::Time},
    {"Regarding", &CoverValues::Regarding},
    {"Recipient", &CoverValues::Recipient},
    {"RecipientFax", &CoverValues::RecipientFax},
    {"SenderName", &CoverValues::SenderName},
    {"SenderCompany", &CoverValues::SenderCompany},
    {"SenderFax", &CoverValues::SenderFax},
    {"SenderVoice", &CoverValues::SenderVoice},
}};

// In the order of the flags line and of the data file's flag characters.
inline constexpr std::array<CoverFlagField, 5> kCoverFlags{{
    {"Urgent", &CoverValues::Urgent},
    {"ForReview", &CoverValues::ForReview},
    {"PleaseComment", &CoverValues::PleaseComment},
    {"PleaseReply", &CoverValues::PleaseReply},
    {"PleaseRecycle", &CoverValues::PleaseRecycle},
}};

// nullptr when no field has that name (compared exactly).
const CoverTextField* FindCoverText(std::string_view name);
const CoverFlagField* FindCoverFlag(std::string_view name);

bool AnyFlagSet(const CoverValues& values);

}  // namespace corvane::covers
