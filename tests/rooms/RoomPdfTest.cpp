// The arrangement's PDFs as they are written, read back with poppler's pdftotext and pdfinfo: a
// large room's chart over several pages, and a text layer that finds what was printed.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "rooms/RoomDocuments.h"
#include "rooms/RoomPlan.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/QtChartOutput.h"
#include "ui/QtRoomOutput.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

QString poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The pages' text exactly as pdftotext reads it: nothing taken back.
QStringList pdfPages(const Text& path) {
    QStringList pages =
        poppler(QStringLiteral("pdftotext"),
                {QString::fromStdString(nativePath(path).string()), QStringLiteral("-")})
            .split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
        pages.pop_back();
    }
    return pages;
}

int pageCount(const Text& path) {
    static const QRegularExpression pages(QStringLiteral("Pages:\\s*(\\d+)"));
    return pages
        .match(
            poppler(QStringLiteral("pdfinfo"), {QString::fromStdString(nativePath(path).string())}))
        .captured(1)
        .toInt();
}

// One room of rows x columns seats for a grade of two classes of size each, the names made of
// the characters whose radical forms the CJK fonts share a glyph with (黄, 门, 马, 长, 风...).
ArrangementDocument arranged(int rows, int columns, int size) {
    const std::vector<std::string> surnames = {"黄", "马", "龙", "齐", "韦", "麦"};
    const std::vector<std::string> given = {"门", "长风", "飞", "见贝", "鱼", "鸟", "页", "车"};
    ArrangementRequest request;
    for (int c = 1; c <= 2; ++c) {
        GradeClass grade{g("高一") + toText(c) + g("班"), {}};
        for (int s = 0; s < size; ++s) {
            grade.names.push_back(
                g(surnames[s % surnames.size()] + given[(s / surnames.size() + c) % given.size()]) +
                toText(s));
        }
        request.classes.push_back(std::move(grade));
    }
    request.rooms = {{g("第01考场"), rows, columns, Spacing::None, {}}};
    request.format = {"202601", 2, 3};
    request.exam = g("期末");
    const ArrangementOutcome outcome = RoomPlan::arrange(request, 20261208);
    EXPECT_TRUE(outcome.arrangement) << gbkToUtf8(outcome.problem);
    return ArrangementDocument::of(request, outcome.arrangement.value_or(Arrangement{}), "S82",
                                   "ABC234", LocalTime{.year = 2026, .month = 1, .day = 2});
}

std::set<QString> examNumbers(const QString& text) {
    static const QRegularExpression number(QStringLiteral("20260101\\d{3}"));
    std::set<QString> numbers;
    for (auto it = number.globalMatch(text); it.hasNext();) {
        numbers.insert(it.next().captured());
    }
    return numbers;
}

class RoomPdfTest : public ::testing::Test {
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
    QtRoomOutput output;
};

TEST_F(RoomPdfTest, ALargeRoomsChartRunsOverPagesWithItsLabels) {
    // 15 x 15 seats: rows and columns each in two blocks, four chart pages.
    const ArrangementDocument document = arranged(15, 15, 110);
    ASSERT_EQ(document.rooms.size(), 1u);
    const RoomPages& room = document.rooms[0];
    ASSERT_EQ(room.candidates.size(), 220u);
    ASSERT_EQ(QtChartOutput::pages(room.chart).size(), 4u);
    const Text file = joinPath(folder.text(), "rooms.pdf");
    ASSERT_TRUE(output.writeRoomsPdf(document, file));
    // Four chart pages, the door list, eight sign-in sheets of 30.
    EXPECT_EQ(pageCount(file), 4 + 1 + 8);
    const QStringList pages = pdfPages(file);
    ASSERT_EQ(pages.size(), 13);
    std::multiset<QString> onCharts;
    for (int page = 0; page < 4; ++page) {
        const QString& text = pages[page];
        EXPECT_TRUE(text.contains(QStringLiteral("期末考试座位表"))) << page;
        EXPECT_TRUE(text.contains(QStringLiteral("第%1页，共4页").arg(page + 1))) << page;
        // Each page labels its own rows and columns: the first two hold rows 1-8, the others
        // rows 9-15; the columns, counted from the right, 15-8 and 7-1 alternate.
        const int firstRow = page < 2 ? 1 : 9;
        const int column = page % 2 == 0 ? 15 : 1;
        EXPECT_TRUE(text.contains(QStringLiteral("第%1行").arg(firstRow))) << page;
        EXPECT_TRUE(text.contains(QStringLiteral("第%1列").arg(column))) << page;
        EXPECT_FALSE(text.contains(QStringLiteral("第%1列").arg(column == 15 ? 7 : 8))) << page;
        EXPECT_FALSE(text.contains(QStringLiteral("第%1行").arg(firstRow == 1 ? 9 : 8))) << page;
        for (const QString& number : examNumbers(text)) {
            onCharts.insert(number);
        }
    }
    std::multiset<QString> expected;
    for (const CandidateLine& c : room.candidates) {
        expected.insert(QString::fromStdString(c.examNumber));
    }
    EXPECT_EQ(onCharts, expected);  // every candidate on one chart page, once
    EXPECT_TRUE(pages[4].contains(QStringLiteral("门贴")));
}

TEST_F(RoomPdfTest, TheTextLayerFindsTheSimplifiedCharacters) {
    const ArrangementDocument document = arranged(6, 6, 16);
    const RoomPages& room = document.rooms.at(0);
    const Text rooms = joinPath(folder.text(), "rooms.pdf");
    ASSERT_TRUE(output.writeRoomsPdf(document, rooms));
    const QString text = pdfPages(rooms).join(QChar(u'\f'));
    EXPECT_TRUE(text.contains(QStringLiteral("期末第01考场门贴"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("期末第01考场签到表")));
    // The code and fingerprint in the footers, whole: letters followed by digits.
    for (const QString& page : pdfPages(rooms)) {
        EXPECT_TRUE(page.contains(QStringLiteral("抽签码：S82"))) << page.toStdString();
        EXPECT_TRUE(page.contains(QStringLiteral("名单指纹：ABC234")));
    }
    const Text labels = joinPath(folder.text(), "labels.pdf");
    ASSERT_TRUE(output.writeLabelsPdf(document, labels, 3, 8));
    const QString labelText = pdfPages(labels).join(QChar(u'\f'));
    for (const CandidateLine& c : room.candidates) {
        const QString name = QString::fromStdString(gbkToUtf8(c.name));
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
        EXPECT_TRUE(labelText.contains(name)) << name.toStdString();
    }
    // No radical form left in either text layer.
    static const QRegularExpression radical(
        QStringLiteral("[\\x{2E80}-\\x{2EFF}\\x{2F00}-\\x{2FDF}]"));
    EXPECT_FALSE(text.contains(radical));
    EXPECT_FALSE(labelText.contains(radical));
}

}  // namespace
}  // namespace exambell
