// CPU time of a pattern save whose text holds many character references that
// only a reference keeps (a carriage return given as "&#13;"), against the
// save of a pattern of the same size and layout without them. Keeping the
// references must cost a share of the save, not grow with their count: the
// ratio stays under 1.5, and doubling the references leaves it about the same.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "WriteEepromParam.h"

namespace {

constexpr double kMostRatio = 1.5;
const char kReference[] = "&#13;";
const char kPlain[] = "abcde";  // as long as the reference

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// A pattern of about `bytes` bytes in lines of text elements, with `marks`
// of `mark` spread evenly over its lines.
QByteArray Pattern(size_t bytes, size_t marks, const char* mark) {
    constexpr size_t kLines = 40000;
    const size_t lineBytes = bytes / kLines;
    QByteArray text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<system_environment_configuration>\n"
        "\t<eprom_param>\n\t\t<option>\n\t\t\t<name>EEP_GAIN</name>\n"
        "\t\t\t<value>12</value>\n\t\t</option>\n\t</eprom_param>\n";
    text.reserve(static_cast<qsizetype>(bytes + 4096));
    for (size_t line = 0; line < kLines; ++line) {
        const size_t lineMarks = marks * (line + 1) / kLines - marks * line / kLines;
        const size_t filler = lineBytes - std::min(lineBytes, lineMarks * std::strlen(mark));
        text += "\t<note>";
        text += QByteArray(static_cast<qsizetype>(filler), 'x');
        for (size_t i = 0; i < lineMarks; ++i) {
            text += mark;
        }
        text += "</note>\n";
    }
    return text + "</system_environment_configuration>\n";
}

// The least CPU time of `runs` saves of `pattern`; negative when a save fails.
double SaveSeconds(const QTemporaryDir& dir, const QByteArray& pattern, int runs) {
    const std::string in = dir.filePath("pattern.xml").toStdString();
    const std::string out = dir.filePath("out.xml").toStdString();
    QFile file(QString::fromStdString(in));
    if (!file.open(QIODevice::WriteOnly) || file.write(pattern) != pattern.size()) {
        return -1;
    }
    file.close();
    double least = 1e9;
    for (int run = 0; run < runs; ++run) {
        const double start = ThreadCpuSeconds();
        if (!WriteEepromParam(in, {{"GAIN", "14"}}, out)) {
            return -1;
        }
        least = std::min(least, ThreadCpuSeconds() - start);
    }
    return least;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const size_t bytes = quick ? 400000 : 6000000;
    const size_t references[] = {quick ? 8000u : 160000u, quick ? 16000u : 320000u};
    const int runs = quick ? 1 : 3;
    QTemporaryDir dir;
    int failures = 0;
    for (const size_t count : references) {
        const double with = SaveSeconds(dir, Pattern(bytes, count, kReference), runs);
        const double without = SaveSeconds(dir, Pattern(bytes, count, kPlain), runs);
        if (with < 0 || without < 0) {
            std::printf("pattern save failed (%zu references)\n", count);
            ++failures;
            continue;
        }
        const double ratio = with / without;
        std::printf(
            "pattern save  %zu bytes, %7zu references  ratio %.2f  (%.0f ms against %.0f ms)\n",
            bytes, count, ratio, with * 1e3, without * 1e3);
        // A short run on an instrumented build measures little but the build.
        if (!quick && ratio >= kMostRatio) {
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
