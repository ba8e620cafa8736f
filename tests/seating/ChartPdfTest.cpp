// The printed chart as a PDF file, read back with poppler's pdftotext and rendered with pdftoppm.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <cstring>
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

// What a poppler tool prints for a PDF (UTF-8), "" when it cannot.
std::string poppler(const QString& tool, QStringList arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return {};
    }
    return process.readAllStandardOutput().toStdString();
}

// The text of a PDF as pdftotext reads it: the text layer as it is, nothing taken back.
std::string pdfText(const Text& path, bool raw = false) {
    QStringList arguments;
    if (raw) {
        arguments << QStringLiteral("-raw");
    }
    arguments << QString::fromStdString(nativePath(path).string()) << QStringLiteral("-");
    return poppler(QStringLiteral("pdftotext"), arguments);
}

int pageCount(const Text& path) {
    const std::string info =
        poppler(QStringLiteral("pdfinfo"), {QString::fromStdString(nativePath(path).string())});
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
}

// The words pdftotext finds with their boxes (points), page by page.
struct Word {
    int page;
    double top;
    double bottom;
    std::string text;
};
std::vector<Word> words(const Text& path) {
    const std::string html =
        poppler(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), QString::fromStdString(nativePath(path).string()),
                 QStringLiteral("-")});
    std::vector<Word> found;
    int page = 0;
    for (std::size_t at = 0; at < html.size();) {
        const std::size_t pageAt = html.find("<page ", at);
        const std::size_t wordAt = html.find("<word ", at);
        if (wordAt == std::string::npos) {
            break;
        }
        if (pageAt != std::string::npos && pageAt < wordAt) {
            ++page;
            at = pageAt + 1;
            continue;
        }
        const auto number = [&](const char* name) {
            return std::atof(html.c_str() + html.find(name, wordAt) + std::strlen(name));
        };
        const std::size_t open = html.find('>', wordAt) + 1;
        const std::size_t close = html.find("</word>", open);
        found.push_back(
            {page, number("yMin=\""), number("yMax=\""), html.substr(open, close - open)});
        at = close;
    }
    return found;
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
    const ChartFields fields{.room = g("第3考场"), .exam = g("期中")};
    const DrawnChart drawn{
        .table =
            SeatingChart::layout(rows, columns, SeatingChart::drawOrder(20261208, count), names),
        .code = DrawCode::format(20261208),
        .fingerprint = DrawCode::fingerprint(count, names ? *names : std::vector<Text>{}),
        .classes = g("18软件5班")};
    return ChartDocument::of(drawn, fields, LocalTime{.year = 2026, .month = 1, .day = 2});
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
              g("日期：2026年1月2日　　班级：18软件5班　　考场：第3考场　　考试：期中"));
    const Text file = joinPath(folder.text(), "chart.pdf");
    ASSERT_TRUE(output.writePdf(document, file));
    const std::string text = pdfText(file);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("期中考试座位表"), std::string::npos) << text;
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

TEST_F(ChartPdfTest, LongNamesStayWholeOnTheirLine) {
    // Six wide characters in a chart of 12 columns: each name on one line, never broken.
    std::vector<Text> names;
    const std::vector<std::string> syllables = {"欧", "阳", "司", "徒", "诸", "葛"};
    std::vector<std::string> utf8;
    for (int i = 0; i < 24; ++i) {
        std::string name;
        for (int k = 0; k < 6; ++k) {
            name += syllables[(i + k) % 6];
        }
        utf8.push_back(name);
        names.push_back(g(name));
    }
    const ChartDocument document = chart(2, 12, 24, &names);
    const Text file = joinPath(folder.text(), "wide.pdf");
    ASSERT_TRUE(output.writePdf(document, file));
    std::vector<std::string> found;
    for (const Word& word : words(file)) {
        if (std::find(utf8.begin(), utf8.end(), word.text) != utf8.end()) {
            found.push_back(word.text);
        }
    }
    std::sort(found.begin(), found.end());
    std::sort(utf8.begin(), utf8.end());
    EXPECT_EQ(found, utf8);
}

TEST_F(ChartPdfTest, OneLongLatinNameKeepsItsOwnSize) {
    std::vector<Text> names;
    for (int i = 1; i <= 42; ++i) {
        names.push_back(g("学生") + toText(i));
    }
    const auto heightOf = [&](const char* file, const std::string& text) {
        const Text path = joinPath(folder.text(), file);
        EXPECT_TRUE(output.writePdf(chart(8, 6, 42, &names), path));
        for (const Word& word : words(path)) {
            if (word.text == text) {
                return word.bottom - word.top;
            }
        }
        return 0.0;
    };
    const double before = heightOf("short.pdf", "第1行");
    names[0] = "WWWWWWWWWWWW";
    const double after = heightOf("long.pdf", "第1行");
    EXPECT_GT(before, 0);
    EXPECT_DOUBLE_EQ(after, before);
    EXPECT_LT(heightOf("long.pdf", "WWWWWWWWWWWW"), before);
}

TEST_F(ChartPdfTest, ExamNumberAndNameLieOnLinesOfTheirOwn) {
    std::vector<Text> names = {g("张三"), g("李四"), g("王五")};
    DrawnChart drawn{.table = SeatingChart::layout(1, 3, {1, 2, 3}, &names),
                     .code = DrawCode::format(5)};
    SeatingChart::numberSeats(drawn.table, "K", ExamNumbering::Rows);
    const Text file = joinPath(folder.text(), "numbers.pdf");
    ASSERT_TRUE(output.writePdf(ChartDocument::of(drawn, ChartFields{}, LocalTime{}), file));
    const std::vector<Word> found = words(file);
    const auto find = [&](const std::string& text) {
        const auto at =
            std::find_if(found.begin(), found.end(), [&](const Word& w) { return w.text == text; });
        EXPECT_NE(at, found.end()) << text;
        return at == found.end() ? Word{} : *at;
    };
    // 考号 K01 is the seat under 第1列, the rightmost: 王五's.
    EXPECT_LT(find("K01").bottom, find("王五").top + 0.5);
    EXPECT_LT(find("K03").bottom, find("张三").top + 0.5);
}

TEST_F(ChartPdfTest, TheTextLayerKeepsEveryCharacter) {
    std::vector<Text> names = {g("学生"), g("行知"), g("李四")};
    const Text code = DrawCode::format(20261208);  // letters followed by digits: "S82"
    DrawnChart drawn{.table = SeatingChart::layout(1, 3, {1, 2, 3}, &names),
                     .code = code,
                     .fingerprint = "ABC234"};
    const Text file = joinPath(folder.text(), "layer.pdf");
    ASSERT_TRUE(output.writePdf(ChartDocument::of(drawn, ChartFields{}, LocalTime{}), file));
    const std::string text = pdfText(file);
    EXPECT_NE(text.find("抽签码：" + code), std::string::npos) << text;
    EXPECT_NE(text.find("名单指纹：ABC234"), std::string::npos) << text;
    EXPECT_NE(text.find("学生"), std::string::npos) << text;
    EXPECT_NE(text.find("行知"), std::string::npos) << text;
    EXPECT_NE(text.find("第1行"), std::string::npos) << text;
}

TEST_F(ChartPdfTest, SimplifiedCharactersSharingARadicalsGlyphReadBackAsThemselves) {
    // The CJK fonts draw 门, 黄, 马... with the glyphs of the radicals ⻔, ⻩, ⻢ (CJK Radicals
    // Supplement), 行 with that of ⾏ (Kangxi Radicals).
    const std::vector<std::string> utf8 = {"黄门", "马长风", "龙飞", "齐见贝",
                                           "鱼鸟", "韦页车", "行知", "麦龟"};
    std::vector<Text> names;
    for (const std::string& name : utf8) {
        names.push_back(g(name));
    }
    const ChartDocument document = chart(2, 4, 8, &names);
    const Text file = joinPath(folder.text(), "radicals.pdf");
    ASSERT_TRUE(output.writePdf(document, file));
    const std::string text = pdfText(file);
    for (const std::string& name : utf8) {
        EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
    }
}

TEST_F(ChartPdfTest, OnlyTheTextLayersCodesOfOneCharacterAreTakenBack) {
    const QByteArray map =
        "stream\n<2ED4> <2ED4> <2ED4>\nbegincmap\n"
        "2 beginbfrange\n"
        "<0003> <0003> <2ED4>\n"
        "<0004> <0006> [<2EE9> <0041> <2F8F> ]\n"
        "<2F00> <2F00> <0042>\n"
        "<0010> <0019> <2ED0>\n"
        "endbfrange\nendcmap\n<0001> <0001> <2ED4>\n";
    const std::string taken = QtChartOutput::withSearchableText(map).toStdString();
    EXPECT_EQ(taken, std::string("stream\n<2ED4> <2ED4> <2ED4>\nbegincmap\n"
                                 "2 beginbfrange\n"
                                 "<0003> <0003> <95E8>\n"
                                 "<0004> <0006> [<9EC4> <0041> <884C> ]\n"
                                 "<2F00> <2F00> <0042>\n"
                                 "<0010> <0019> <2ED0>\n"
                                 "endbfrange\nendcmap\n<0001> <0001> <2ED4>\n"));
}

TEST_F(ChartPdfTest, LargeChartsSplitOverPagesWithTheirLabels) {
    const ChartDocument document = chart(99, 99, 999, nullptr);
    EXPECT_EQ(document.table.rowCount(), 12);  // column labels and the 11 rows that hold seats
    const Text file = joinPath(folder.text(), "large.pdf");
    ASSERT_TRUE(output.writePdf(document, file));
    ASSERT_EQ(pageCount(file), 9);  // 99 columns in blocks of 11, the 11 rows on each page
    std::map<int, std::map<std::string, int>> perPage;
    std::map<std::string, int> all;
    for (const Word& word : words(file)) {
        ++perPage[word.page][word.text];
        ++all[word.text];
    }
    for (int page = 1; page <= 9; ++page) {
        EXPECT_EQ(perPage[page]["第1行"], 1) << page;
        EXPECT_EQ(perPage[page]["第11行"], 1) << page;
        int codes = 0;
        for (const auto& [text, count] : perPage[page]) {
            codes += text.starts_with("抽签码：" + DrawCode::format(20261208)) ? count : 0;
        }
        EXPECT_EQ(codes, 1) << page;
    }
    EXPECT_EQ(perPage[1]["第99列"], 1);
    EXPECT_EQ(perPage[9]["第1列"], 1);
    for (int n = 1; n <= 999; ++n) {
        EXPECT_EQ(all[std::to_string(n)], 1) << n;
    }
    // Legible: a seat's number is at least 2.5 mm tall.
    for (const Word& word : words(file)) {
        if (word.text == "500") {
            EXPECT_GT(word.bottom - word.top, 2.5 / 25.4 * 72);
        }
    }
}

TEST_F(ChartPdfTest, AWriteIntoAMissingFolderIsReported) {
    const ChartDocument document = chart(2, 2, 3, nullptr);
    EXPECT_FALSE(output.writePdf(document, joinPath(folder.text(), "missing/chart.pdf")));
}

}  // namespace
}  // namespace exambell
