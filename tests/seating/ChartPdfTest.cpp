// The printed chart as a PDF file, read back with poppler's pdftotext and rendered with pdftoppm.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "seating/ChartDocument.h"
#include "seating/DrawCode.h"
#include "seating/SeatingChart.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/QtChartOutput.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

// The text of a PDF as pdftotext reads it (UTF-8), "" when it cannot. The CJK fonts map some
// characters (行) to their Kangxi radical forms in the text layer; those are taken back.
std::string pdfText(const Text& path, bool raw = false) {
    QProcess process;
    QStringList arguments;
    if (raw) {
        arguments << QStringLiteral("-raw");
    }
    arguments << QString::fromStdString(nativePath(path).string()) << QStringLiteral("-");
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return {};
    }
    QString text;
    for (const QChar c : QString::fromUtf8(process.readAllStandardOutput())) {
        const bool radical = c.unicode() >= 0x2F00 && c.unicode() <= 0x2FDF;
        text += radical ? QString(c).normalized(QString::NormalizationForm_KC) : QString(c);
    }
    return text.toStdString();
}

int occurrences(const std::string& text, const std::string& word) {
    int count = 0;
    for (std::size_t at = text.find(word); at != std::string::npos;
         at = text.find(word, at + word.size())) {
        ++count;
    }
    return count;
}

ChartDocument chart(int rows, int columns, int count, const std::vector<Text>* names) {
    ChartFields fields{
        .classText = g("18软件5班"),
        .room = g("第3考场"),
        .exam = g("期中考试"),
        .shownCode = DrawCode::format(20261208),
        .shownFingerprint = DrawCode::fingerprint(count, names ? *names : std::vector<Text>{})};
    const SeatTable grid =
        SeatingChart::layout(rows, columns, SeatingChart::drawOrder(20261208, count), names);
    return ChartDocument::of(fields, grid, LocalTime{.year = 2026, .month = 1, .day = 2});
}

class ChartPdfTest : public ::testing::Test {
  protected:
    void TearDown() override {
        // A copy for looking at: EXAMBELL_KEEP_PDF names a folder to leave the files in.
        if (const char* keep = std::getenv("EXAMBELL_KEEP_PDF")) {
            for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
                std::filesystem::copy_file(entry.path(),
                                           std::filesystem::path(keep) / entry.path().filename(),
                                           std::filesystem::copy_options::overwrite_existing);
            }
        }
    }
    test::TempFolder folder;
    QtChartOutput output;
};

TEST_F(ChartPdfTest, TitleBlockEverySeatOnceAndTheCode) {
    std::vector<Text> names;
    for (int i = 1; i <= 42; ++i) {
        names.push_back(g("学生") + toText(i));
    }
    const ChartDocument document = chart(8, 6, 42, &names);
    EXPECT_EQ(document.details(),
              g("日期：2026年1月2日　　班级：18软件5班　　考场：第3考场　　考试：期中考试"));
    const Text file = joinPath(folder.text(), "chart.pdf");
    ASSERT_TRUE(output.writePdf(document, file));
    const std::string text = pdfText(file);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("期中考试考试座位表"), std::string::npos) << text;
    EXPECT_NE(text.find("2026年1月2日"), std::string::npos);
    EXPECT_NE(text.find("班级：18软件5班"), std::string::npos);
    EXPECT_NE(text.find("考场：第3考场"), std::string::npos);
    EXPECT_EQ(occurrences(text, "讲台"), 1);
    EXPECT_NE(text.find("抽签码：" + DrawCode::format(20261208)), std::string::npos);
    EXPECT_NE(text.find("名单指纹：" + gbkToUtf8(document.fingerprint)), std::string::npos);
    for (int i = 1; i <= 42; ++i) {
        // "学生4" also occurs in "学生40": count whole words.
        const std::string name = "学生" + std::to_string(i);
        int whole = 0;
        for (std::size_t at = text.find(name); at != std::string::npos;
             at = text.find(name, at + 1)) {
            const std::size_t end = at + name.size();
            whole += end == text.size() || !std::isdigit(static_cast<unsigned char>(text[end]));
        }
        EXPECT_EQ(whole, 1) << name;
    }
    EXPECT_EQ(occurrences(text, "第6列"), 1);
    EXPECT_EQ(occurrences(text, "第8行"), 1);
}

TEST_F(ChartPdfTest, LongNamesWrapWhole) {
    // Six wide characters in a chart of 30 columns: each name is broken over lines, never cut.
    std::vector<Text> names;
    const std::vector<std::string> syllables = {"欧", "阳", "司", "徒", "诸", "葛"};
    for (int i = 0; i < 60; ++i) {
        std::string name;
        for (int k = 0; k < 6; ++k) {
            name += syllables[(i + k) % 6];
        }
        names.push_back(g(name));
    }
    const ChartDocument document = chart(2, 30, 60, &names);
    const Text file = joinPath(folder.text(), "wide.pdf");
    ASSERT_TRUE(output.writePdf(document, file));
    std::string text = pdfText(file, true);
    ASSERT_FALSE(text.empty());
    // Every character of every name is drawn: 60 names of 6 characters, 10 of each.
    for (const std::string& syllable : syllables) {
        EXPECT_EQ(occurrences(text, syllable), 60) << syllable;
    }
}

TEST_F(ChartPdfTest, LargestChartFitsOnePage) {
    const ChartDocument document = chart(99, 99, 999, nullptr);
    EXPECT_EQ(document.table.rowCount(), 12);  // column labels and the 11 rows that hold seats
    const Text file = joinPath(folder.text(), "large.pdf");
    ASSERT_TRUE(output.writePdf(document, file));
    const std::string text = pdfText(file, true);
    std::map<std::string, int> numbers;
    std::string word;
    for (char c : text + " ") {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            word += c;
        } else {
            if (!word.empty()) {
                ++numbers[word];
            }
            word.clear();
        }
    }
    for (int n = 100; n <= 999; n += 37) {
        EXPECT_GE(numbers[std::to_string(n)], 1) << n;
    }
    EXPECT_EQ(occurrences(text, "抽签码："), 1);
}

TEST_F(ChartPdfTest, AWriteIntoAMissingFolderIsReported) {
    const ChartDocument document = chart(2, 2, 3, nullptr);
    EXPECT_FALSE(output.writePdf(document, joinPath(folder.text(), "missing/chart.pdf")));
}

}  // namespace
}  // namespace exambell
