#include <gtest/gtest.h>

#include <cerrno>

#include "faximage/fax_errors.h"

namespace corvane {
namespace {

TEST(ErrorText, GivesTheTextsOfTheSharedTable) {
    struct Case {
        int code;
        const char* text;
    };
    for (const Case& c :
         {Case{-2, "File not found"}, Case{-3, "Path not found"}, Case{-5, "File access denied"},
          Case{-8, "Insufficient memory"}, Case{-100, "Attempt to read beyond end of file"},
          Case{-160, "Device write error"}, Case{-1003, "Got quit message"},
          Case{-8001, "File is not an APF file"}, Case{-8079, "Fax failed in mid-session"},
          Case{-8082, "Multiple resolutions per session not supported"}, Case{0, ""},
          Case{-8081, ""}, Case{-9999, ""}, Case{2, ""}})
        EXPECT_EQ(ErrorText(c.code), c.text) << c.code;
}

TEST(FileErrorCode, MapsSystemErrorsToCodesWithTexts) {
    EXPECT_EQ(FileErrorCode(ENOENT), -2);
    EXPECT_EQ(FileErrorCode(ENOTDIR), -3);
    EXPECT_EQ(FileErrorCode(EACCES), -5);
    EXPECT_EQ(FileErrorCode(ENOSPC), -101);
    for (int value : {ENOENT, ENOTDIR, EMFILE, EACCES, EROFS, EBADF, ENOMEM, EXDEV, ENOSPC, EFBIG,
                      EIO, EINVAL, 0, 9999}) {
        EXPECT_LT(FileErrorCode(value), 0) << value;
        EXPECT_FALSE(ErrorText(FileErrorCode(value)).empty()) << value;
    }
}

TEST(FaxError, CarriesCodeAndText) {
    const FaxError known(-8001);
    EXPECT_EQ(known.code(), -8001);
    EXPECT_STREQ(known.what(), "File is not an APF file");
    EXPECT_STREQ(FaxError(-7777).what(), "Error -7777");
    EXPECT_STREQ(FaxError(-2, "Missing: a.apf").what(), "Missing: a.apf");
}

}  // namespace
}  // namespace corvane
