// The shipped cover designs as the build makes them, and their copying
// into a program directory that never replaces a user's file.
#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "app/temp_dir.h"
#include "covers/cover_renderer.h"
#include "covers/files/file_bytes.h"
#include "covers/files/template_file.h"
#include "covers/shipped_templates.h"

namespace corvane::covers {
namespace {

const std::string kShipped = std::string(CORVANE_BIN_DIR) + "/../share/corvane/covers/";

std::string ReadAll(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, 1 << 24, bytes)) << path;
    return bytes;
}

TEST(ShippedTemplates, EveryDesignIsCompleteAndOnThePage) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kShipped))
        if (entry.path().extension() == ".fct")
            names.insert(entry.path().stem().string());
    EXPECT_GE(names.size(), 6u);
    EXPECT_TRUE(names.count("cv0001")) << "the default template";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadAll(kShipped + name + ".fct");
        const auto elements = ReadTemplate(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        EXPECT_EQ(EncodeTemplate(elements), bytes) << "every record decodes";
        std::set<std::int32_t> kinds;
        for (const TemplateElement& e : elements) {
            kinds.insert(e.Kind);
            // Visible on the fax page: the converter's 50-pixel margin leaves
            // raster columns 0..1677, the page has rows 0..2155.
            EXPECT_GE(e.Left + kCoverOrigin, 0);
            EXPECT_GE(e.Top + kCoverOrigin, 0);
            EXPECT_LE(e.Left + e.Width + kCoverOrigin, kCoverWidth - 50);
            EXPECT_LE(e.Top + e.Height + kCoverOrigin, kCoverHeight);
        }
        for (std::int32_t kind : {ekValueField, ekFlagsLine, ekMessageBox})
            EXPECT_TRUE(kinds.count(kind)) << "kind " << kind;
        const std::string description = ReadAll(kShipped + name + ".des");
        EXPECT_GT(description.find("\r\n"), 10u);
        QImage preview;
        EXPECT_TRUE(preview.load(QString::fromStdString(kShipped + name + ".bmp")));
        EXPECT_NEAR(preview.width() * 2156.0 / 1728, preview.height(), 1) << "the whole page";
    }
}

TEST(ShippedTemplates, CopiedWhenMissingAndNeverOverAUsersFile) {
    testing::TempDir dir;
    const std::string shipped = dir.path() + "shipped/";
    const std::string covers = dir.path() + "home/Covers/";
    std::filesystem::create_directories(shipped);
    for (const char* name : {"cv0001.fct", "cv0001.des", "cv0002.fct"})
        std::ofstream(shipped + name) << "shipped " << name;
    std::filesystem::create_directories(covers);
    std::ofstream(covers + "CV0001.FCT") << "mine";

    EXPECT_EQ(InstallShippedTemplates(shipped, covers), 2);
    EXPECT_EQ(ReadAll(covers + "CV0001.FCT"), "mine");
    EXPECT_FALSE(std::filesystem::exists(covers + "cv0001.fct"));
    EXPECT_EQ(ReadAll(covers + "cv0002.fct"), "shipped cv0002.fct");
    std::ofstream(covers + "cv0002.fct") << "edited";
    EXPECT_EQ(InstallShippedTemplates(shipped, covers), 0);
    EXPECT_EQ(ReadAll(covers + "cv0002.fct"), "edited");

    EXPECT_EQ(InstallShippedTemplates(shipped, dir.path() + "new/Covers"), 3)
        << "the directory is made on first start";
    EXPECT_EQ(InstallShippedTemplates(dir.path() + "absent/", covers), 0);
}

TEST(ShippedTemplates, GeneratorNamesTheLineOfABadSource) {
    testing::TempDir dir;
    const std::string source =
        dir.Write("bad.cover", "description: x\ntext left=0 text=\"ok\"\nshape fill=grey\n");
    const std::string command =
        std::string(CORVANE_BIN_DIR) + "/make-covers " + dir.path() + "out " + source + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512] = {};
    const std::string output(buffer, std::fread(buffer, 1, sizeof buffer - 1, pipe));
    EXPECT_NE(::pclose(pipe), 0);
    EXPECT_NE(output.find("line 3: unknown fill \"grey\""), std::string::npos) << output;
}

}  // namespace
}  // namespace corvane::covers
