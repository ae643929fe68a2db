#include "simmodem/apf_pages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fax_pages.h"

namespace corvane::simmodem {
namespace {

namespace fs = std::filesystem;

class ApfPages : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("simmodem_apf_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(ApfPages, KeepPagesAndTheirResolution) {
    const std::vector<FaxPage> pages = {{testing::CodedPage(10), true, false},
                                        {testing::CodedPage(7, 2048), false, true}};
    ASSERT_EQ(WriteApfPages(Path("fax.apf"), pages, "5550100"), 0);
    std::vector<FaxPage> read;
    ASSERT_EQ(ReadApfPages(Path("fax.apf"), read), 0);
    ASSERT_EQ(read.size(), 2u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(read[i].data, pages[i].data);
        EXPECT_EQ(read[i].fine, pages[i].fine);
        EXPECT_EQ(read[i].wide, pages[i].wide);
    }
}

TEST_F(ApfPages, RefuseDamagedFiles) {
    ASSERT_EQ(WriteApfPages(Path("fax.apf"), {{testing::CodedPage(10), false, false}}, "1"), 0);
    std::ifstream in(Path("fax.apf"), std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Cut inside the page data, inside the page header, inside the file header; a wrong signature.
    std::string badSignature = whole;
    badSignature[0] = 'X';
    for (const std::string& damaged : {whole.substr(0, whole.size() - 5), whole.substr(0, 70),
                                       whole.substr(0, 30), badSignature}) {
        std::ofstream(Path("bad.apf"), std::ios::binary) << damaged;
        std::vector<FaxPage> read;
        EXPECT_LT(ReadApfPages(Path("bad.apf"), read), 0) << damaged.size();
    }
    std::vector<FaxPage> read;
    EXPECT_LT(ReadApfPages(Path("missing.apf"), read), 0);
}

}  // namespace
}  // namespace corvane::simmodem
