// What a print job brings as text: its option list, and a plain text
// document laid out on pages. Any bytes read without fault; the job file
// written from the options has exactly three lines, and laid-out lines
// stay within their columns and pages within their lines.
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "intake/fax_job.h"
#include "intake/job_options.h"
#include "intake/text_pages.h"

using namespace corvane::intake;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const JobDetails details = JobDetailsFromOptions(text, "title");
    const std::string job = JobFileText(details);
    std::size_t breaks = 0;
    for (const char c : job) breaks += c == '\n';
    if (breaks != 3)
        std::abort();

    constexpr int kColumns = 13, kLines = 5;
    for (const QStringList& page :
         LayOutText(QString::fromUtf8(text.data(), qsizetype(size)), kColumns, kLines)) {
        if (page.size() > kLines)
            std::abort();
        for (const QString& line : page)
            if (line.size() > kColumns + 1)  // a surrogate pair counts two
                std::abort();
    }
    return 0;
}
