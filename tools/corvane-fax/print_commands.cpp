// print: the viewer's fax printer without windows, to a PDF file or a
// printer, with the same captions, fitting and page layout.
#include <QApplication>
#include <QPageLayout>
#include <QPrinterInfo>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "command_registry.h"
#include "faximage/fax_errors.h"
#include "viewer/cv_fax_printer.h"

namespace corvane::cli {
namespace {

constexpr char kPrintUsage[] =
    "print FILE.apf (--pdf OUT.pdf | --printer NAME) [--header TEXT | --no-header] "
    "[--footer TEXT | --no-footer] [--multipage] [--landscape] [--range FIRST-LAST]";

int Fail(const std::string& message) {
    std::fprintf(stderr, "corvane-fax: %s\n", message.c_str());
    return 1;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "corvane-fax: %s\nusage: corvane-fax %s\n", message.c_str(), kPrintUsage);
    return 2;
}

struct PrintRequest {
    std::string faxFile, pdf, printer;
    std::string header = "FILE: $F", footer = "PAGE: $P of $N";
    bool headerOn = true, footerOn = true, multiPage = false, landscape = false;
    int first = 0, last = -1;  // last -1: every page
};

// "FIRST-LAST" with both whole numbers from 1 to 65535.
bool ParseRange(const std::string& text, int& first, int& last) {
    const auto dash = text.find('-');
    if (dash == std::string::npos)
        return false;
    const auto number = [](const std::string& part, int& value) {
        if (part.empty() || part.size() > 5 ||
            part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        value = std::stoi(part);
        return value >= 1 && value <= 65535;
    };
    return number(text.substr(0, dash), first) && number(text.substr(dash + 1), last);
}

// Empty when the request is complete, else the message to show.
std::string ParsePrintArguments(const Arguments& args, PrintRequest& request) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--pdf" || arg == "--printer" || arg == "--header" ||
                                arg == "--footer" || arg == "--range";
        if (takesValue && i + 1 >= args.size())
            return arg + " needs a value";
        if (arg == "--pdf")
            request.pdf = args[++i];
        else if (arg == "--printer")
            request.printer = args[++i];
        else if (arg == "--header")
            request.header = args[++i];
        else if (arg == "--footer")
            request.footer = args[++i];
        else if (arg == "--range") {
            if (!ParseRange(args[++i], request.first, request.last))
                return "--range takes FIRST-LAST, page numbers from 1";
        } else if (arg == "--no-header")
            request.headerOn = false;
        else if (arg == "--no-footer")
            request.footerOn = false;
        else if (arg == "--multipage")
            request.multiPage = true;
        else if (arg == "--landscape")
            request.landscape = true;
        else if (arg.rfind("--", 0) == 0)
            return "unknown option \"" + arg + "\"";
        else if (request.faxFile.empty())
            request.faxFile = arg;
        else
            return "one fax file only";
    }
    if (request.faxFile.empty())
        return "no fax file";
    if (request.pdf.empty() == request.printer.empty())
        return "give either --pdf or --printer";
    return {};
}

int RunPrint(const Arguments& args) {
    PrintRequest request;
    if (const std::string problem = ParsePrintArguments(args, request); !problem.empty())
        return Usage(problem);

    // Fonts and the printer need a GUI application, not a display.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "corvane-fax";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);

    viewer::CvFaxPrinter printer;
    printer.SetFileName(QString::fromStdString(request.faxFile));
    if (printer.PageCount() == 0)
        return Fail("\"" + request.faxFile + "\" is no fax file with pages");
    printer.FaxHeader().caption = QString::fromStdString(request.header);
    printer.FaxHeader().enabled = request.headerOn;
    printer.FaxFooter().caption = QString::fromStdString(request.footer);
    printer.FaxFooter().enabled = request.footerOn;
    printer.SetMultiPage(request.multiPage);
    if (request.last >= 0) {
        if (request.first <= request.last && request.last > printer.PageCount())
            return Fail("the fax has " + std::to_string(printer.PageCount()) + " pages");
        printer.SetRange(request.first, request.last);
    }
    QPrinter& output = printer.Printer();
    if (!request.pdf.empty()) {
        output.setOutputFormat(QPrinter::PdfFormat);
        output.setOutputFileName(QString::fromStdString(request.pdf));
    } else {
        if (QPrinterInfo::printerInfo(QString::fromStdString(request.printer)).isNull())
            return Fail("no printer named \"" + request.printer + "\"");
        output.setPrinterName(QString::fromStdString(request.printer));
    }
    output.setPageOrientation(request.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);

    const int code = printer.PrintFile();
    if (code == viewer::CvFaxPrinter::ecPrintFailed)
        return Fail("the printer could not be started");
    if (code != 0)
        return Fail("page could not be read: " + ErrorText(code));
    const int pages = std::max(printer.RangeEnd() - printer.RangeStart() + 1, 0);
    std::printf("%s: %d page%s printed to %s\n", request.faxFile.c_str(), pages,
                pages == 1 ? "" : "s",
                request.pdf.empty() ? request.printer.c_str() : request.pdf.c_str());
    return 0;
}

const CommandRegistration kPrint({"print", kPrintUsage, RunPrint});

}  // namespace
}  // namespace corvane::cli
