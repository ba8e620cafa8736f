// The exam-room arrangement as the exam office uses it: opened from the seating window, rosters
// imported, rooms listed, arranged, and the PDF, labels and workbook written and read back with
// pdftotext and openpyxl.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <cstdlib>
#include <map>
#include <set>

#include "tests/support/AppFixture.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/ArrangementWindow.h"
#include "ui/ArrangementWindowBinder.h"
#include "ui/MainWindow.h"
#include "ui/SeatingWindow.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The pages of a PDF as pdftotext reads them (UTF-8), nothing taken back: what a search in a PDF
// viewer finds.
std::vector<QString> pdfPages(const std::filesystem::path& file) {
    const QString text = run(QStringLiteral("pdftotext"),
                             {QString::fromStdString(file.string()), QStringLiteral("-")});
    std::vector<QString> pages;
    for (const QString& page : text.split(QChar(u'\f'))) {
        pages.push_back(page);
    }
    if (!pages.empty() && pages.back().trimmed().isEmpty()) {
        pages.pop_back();
    }
    return pages;
}

std::set<QString> examNumbers(const QString& text) {
    std::set<QString> numbers;
    static const QRegularExpression number(QStringLiteral("202601\\d{4}"));
    for (auto it = number.globalMatch(text); it.hasNext();) {
        numbers.insert(it.next().captured());
    }
    return numbers;
}

class RoomsApp : public test::AppFixture {
  protected:
    void TearDown() override {
        // A copy for looking at: EXAMBELL_KEEP_PDF names a folder to leave the files in.
        if (const char* keep = std::getenv("EXAMBELL_KEEP_PDF")) {
            for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
                const auto extension = entry.path().extension();
                if (extension == ".pdf" || extension == ".xlsx") {
                    std::filesystem::copy_file(
                        entry.path(), std::filesystem::path(keep) / entry.path().filename(),
                        std::filesystem::copy_options::overwrite_existing);
                }
            }
        }
    }
    ArrangementWindow& openArrangement() {
        QTest::mouseClick(main().seatingButton->widget(), Qt::LeftButton);
        click("考场编排按钮");
        auto* window = dynamic_cast<ArrangementWindow*>(widget("考场编排窗口"));
        EXPECT_NE(window, nullptr);
        return *window;
    }
    void click(const std::string& button) {
        auto* target = static_cast<QPushButton*>(widget(button));
        ASSERT_NE(target, nullptr) << button;
        QTest::mouseClick(target, Qt::LeftButton);
    }
    static RoomArrangement& operations(ArrangementWindow& window) {
        for (QObject* child : window.children()) {
            if (auto* binder = dynamic_cast<ArrangementWindowBinder*>(child)) {
                return binder->operations();
            }
        }
        throw std::logic_error("no binder");
    }
    void importClass(ArrangementWindow& window, const std::string& name,
                     const std::vector<std::string>& names) {
        window.classNameEdit->setText(g(name));
        Text roster;
        for (const std::string& student : names) {
            roster += (roster.empty() ? "" : "\r\n") + g(student);
        }
        window.rosterEdit->setText(roster);
        dialogs.answer(kOk);
        click("导入年级班级按钮");
    }
};

TEST_F(RoomsApp, AGradeIsArrangedPrintedAndSavedAndComesBackTheSame) {
    makeDefaultRecordings();
    start();
    ArrangementWindow& window = openArrangement();
    const std::vector<std::string> surnames = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄"};
    const std::vector<std::string> given = {"伟", "芳", "娜", "敏", "静", "磊"};
    std::map<std::string, std::vector<std::string>> grade;
    for (int c = 1; c <= 3; ++c) {
        std::vector<std::string> names;
        for (int s = 0; s < 38; ++s) {
            names.push_back(surnames[s % 8] + given[(s / 8 + c) % 6] + std::to_string(s / 48 + c));
        }
        names.push_back(names.front());  // two students of one name, kept apart by numbers
        const std::string className = "高一" + std::to_string(c) + "班";
        importClass(window, className, names);
        grade[className] = names;
    }
    ASSERT_EQ(dialogs.texts().size(), 6u);  // each class confirmed, then saved
    EXPECT_EQ(dialogs.texts()[0],
              "请确认班级信息\r\n班级：高一1班\r\n人数：39\r\n其中同名的有 2 "
              "人（王芳1），都会编排，以考号区分");
    EXPECT_EQ(dialogs.texts()[1], "保存成功");
    EXPECT_EQ(window.classList->count(), 3);
    EXPECT_EQ(gbkToUtf8(window.classList->itemText(0)), "高一1班（39人）");
    dialogs.clear();

    window.batchCountEdit->setText(g("4"));
    window.batchRowsEdit->setText(g("6"));
    window.batchColumnsEdit->setText(g("6"));
    click("批量生成考场按钮");
    EXPECT_EQ(gbkToUtf8(window.roomsEdit->text()),
              "第01考场,6,6\r\n第02考场,6,6\r\n第03考场,6,6\r\n第04考场,6,6");
    window.prefixEdit->setText(g("202601"));
    window.examEdit->setText(g("期末考试"));
    click("开始编排按钮");
    EXPECT_TRUE(dialogs.texts().empty());
    const std::optional<Arrangement> shown = operations(window).shown();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->candidates, 117);
    EXPECT_EQ(shown->sameClassPairs, 0);
    EXPECT_EQ(window.summary->rowCount(), 5);
    EXPECT_EQ(gbkToUtf8(window.summary->cell(1, 4)), "2026010101");
    EXPECT_TRUE(window.pdfButton->widget()->isEnabled());
    if (const char* keep = std::getenv("EXAMBELL_KEEP_PDF")) {
        window.grab().save(QString::fromStdString(
            (std::filesystem::path(keep) / "arrangement-window.png").string()));
        app->seatingWindow()->grab().save(
            QString::fromStdString((std::filesystem::path(keep) / "seating-window.png").string()));
    }
    const ArrangementDocument document = operations(window).document();
    ASSERT_EQ(document.rooms.size(), 4u);

    // The PDF: every room's chart, door list and sign-in sheet with exactly its candidates.
    const std::filesystem::path pdf = folder.path() / "考场.pdf";
    dialogs.choose(pathText(pdf));
    click("导出考场PDF按钮");
    const std::vector<QString> pages = pdfPages(pdf);
    // Rooms of 36: chart, door list and two sign-in sheets; the last room's 9 need one.
    ASSERT_EQ(pages.size(), 3u * 4 + 3);
    std::map<QString, std::map<QString, QString>> byRoom;  // room, kind: text
    for (const QString& page : pages) {
        for (const RoomPages& room : document.rooms) {
            const QString name = QString::fromStdString(gbkToUtf8(room.room));
            for (const QString& kind :
                 {QStringLiteral("考试座位表"), QStringLiteral("门贴"), QStringLiteral("签到表")}) {
                if (page.contains(name) && page.contains(kind)) {
                    byRoom[name][kind] += page;
                }
            }
        }
    }
    for (const RoomPages& room : document.rooms) {
        std::set<QString> expected;
        for (const CandidateLine& c : room.candidates) {
            expected.insert(QString::fromStdString(c.examNumber));
        }
        const QString name = QString::fromStdString(gbkToUtf8(room.room));
        const QString& door = byRoom[name][QStringLiteral("门贴")];
        EXPECT_EQ(examNumbers(byRoom[name][QStringLiteral("考试座位表")]), expected)
            << name.toStdString();
        EXPECT_EQ(examNumbers(door), expected);
        EXPECT_EQ(examNumbers(byRoom[name][QStringLiteral("签到表")]), expected);
        EXPECT_TRUE(byRoom[name][QStringLiteral("签到表")].contains(QStringLiteral("签名")));
        for (const CandidateLine& c : room.candidates) {
            EXPECT_TRUE(door.contains(QString::fromStdString(gbkToUtf8(c.name))));
        }
    }

    // The desk labels: 24 to a sheet, every candidate once.
    const std::filesystem::path labels = folder.path() / "桌贴.pdf";
    dialogs.choose(pathText(labels));
    click("导出桌贴按钮");
    const std::vector<QString> labelPages = pdfPages(labels);
    ASSERT_EQ(labelPages.size(), 5u);
    std::set<QString> labelled;
    for (const QString& page : labelPages) {
        for (const QString& number : examNumbers(page)) {
            EXPECT_TRUE(labelled.insert(number).second);
        }
    }
    EXPECT_EQ(labelled.size(), 117u);

    // The workbook, read back with openpyxl: the summary sheet and one sheet per room.
    const std::filesystem::path book = folder.path() / "考场编排";
    dialogs.choose(pathText(book));
    click("导出编排Excel按钮");
    EXPECT_TRUE(dialogs.texts().empty());
    const QString dump = run(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import openpyxl,sys\n"
                        "wb=openpyxl.load_workbook(sys.argv[1])\n"
                        "for ws in wb.worksheets:\n"
                        "  for row in ws.iter_rows(values_only=True):\n"
                        "    print(ws.title+'\\t'+'\\t'.join('' if v is None else str(v) for v in "
                        "row))\n"),
         QString::fromStdString((folder.path() / "考场编排.xlsx").string())});
    QStringList expectedLines;
    expectedLines << QStringLiteral("全部考生\t考号\t姓名\t班级\t考场\t座号");
    for (const RoomPages& room : document.rooms) {
        for (const CandidateLine& c : room.candidates) {
            expectedLines << QString::fromStdString(gbkToUtf8(g("全部考生") + "\t" + c.examNumber +
                                                              "\t" + c.name + "\t" + c.className +
                                                              "\t" + room.room + "\t" + c.seat));
        }
    }
    for (const RoomPages& room : document.rooms) {
        expectedLines << QString::fromStdString(gbkToUtf8(room.room)) +
                             QStringLiteral("\t考号\t姓名\t班级\t座号\t位置");
        for (const CandidateLine& c : room.candidates) {
            expectedLines << QString::fromStdString(gbkToUtf8(room.room + "\t" + c.examNumber +
                                                              "\t" + c.name + "\t" + c.className +
                                                              "\t" + c.seat + "\t" + c.position));
        }
    }
    EXPECT_EQ(dump.trimmed().split(QChar(u'\n')), expectedLines);
    // Every student of the grade once, in the class they were imported in.
    std::map<std::string, std::multiset<std::string>> byClass;
    for (const RoomPages& room : document.rooms) {
        for (const CandidateLine& c : room.candidates) {
            byClass[gbkToUtf8(c.className)].insert(gbkToUtf8(c.name));
        }
    }
    for (const auto& [className, names] : grade) {
        EXPECT_EQ(byClass[className], std::multiset<std::string>(names.begin(), names.end()));
    }

    // Too few seats: told how many are missing, the arrangement shown stays.
    window.roomsEdit->setText(g("第01考场,6,5\r\n第02考场,6,5,隔列"));
    click("开始编排按钮");
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_EQ(dialogs.texts()[0],
              "考生 117 人，座位只有 48 个，还差 69 个座位，请增加考场或减少留空");
    EXPECT_EQ(operations(window).shown(), shown);
    EXPECT_EQ(window.summary->rowCount(), 5);

    // Opened again, the window shows the arrangement kept in config.ini.
    const Text code = window.codeEdit->text();
    window.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ArrangementWindow& again = openArrangement();
    EXPECT_EQ(again.codeEdit->text(), code);
    EXPECT_EQ(gbkToUtf8(again.roomsEdit->text()),
              "第01考场,6,6\r\n第02考场,6,6\r\n第03考场,6,6\r\n第04考场,6,6");
    EXPECT_EQ(operations(again).shown(), shown);
    EXPECT_EQ(gbkToUtf8(again.examEdit->text()), "期末考试");
    EXPECT_TRUE(again.pdfButton->widget()->isEnabled());
    const std::string config = configUtf8();
    EXPECT_NE(config.find("[grade_class_3]"), std::string::npos);
    // The file this window started holds the cue settings too.
    EXPECT_NE(config.find("[music_1]"), std::string::npos);
    EXPECT_NE(config.find("[room_arrangement]"), std::string::npos);
}

TEST_F(RoomsApp, ACharacterGbkLacksIsRefusedBeforeAnythingIsSaved) {
    start();
    ArrangementWindow& window = openArrangement();
    importClass(window, "一班", {"张三", "李四"});
    dialogs.clear();
    window.roomsEdit->textEdit()->setPlainText(QStringLiteral("第01考场䶮,8,5"));
    click("开始编排按钮");
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_NE(dialogs.texts()[0].find("U+4DAE"), std::string::npos);
    EXPECT_FALSE(operations(window).shown());
    EXPECT_EQ(configUtf8().find("[room_arrangement]"), std::string::npos);
}

}  // namespace
}  // namespace exambell
