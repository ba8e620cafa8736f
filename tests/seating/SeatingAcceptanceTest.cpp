// The seating window as an exam office uses it, in the whole program: a class imported, then
// re-imported with more students, a chart drawn, the column arrow clicked by mistake, the chart
// drawn again from its code, and the PDF and the workbook saved. The files are read back as the
// office reads them: pdftotext, openpyxl and LibreOffice.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "tests/support/AppFixture.h"
#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/MainWindow.h"
#include "ui/SeatingWindow.h"

namespace exambell {
namespace {

Text g(std::string_view utf8) {
    return utf8ToGbk(utf8);
}
QString q(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// What a program prints (UTF-8) when it ends well within a minute; nothing otherwise.
std::optional<std::string> run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return std::nullopt;
    }
    return process.readAllStandardOutput().toStdString();
}

// The workbook's title and its cells as "B2=第6列" lines, as openpyxl reads them.
constexpr const char* kOpenpyxl = R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
print("title=" + (book.properties.title or ""))
for row in book.active.iter_rows():
    for cell in row:
        if cell.value is not None:
            print(cell.coordinate + "=" + str(cell.value).replace("\n", "|"))
)";

const std::vector<std::string> kTwelve = {"赵一", "钱二", "孙三", "李四", "周五",   "吴六",
                                          "郑七", "王八", "冯九", "陈十", "褚十一", "卫十二"};

class SeatingAcceptance : public test::AppFixture {
  protected:
    void SetUp() override {
        start();
        QTest::mouseClick(main().seatingButton->widget(), Qt::LeftButton);
        seating = app->seatingWindow();
        ASSERT_NE(seating, nullptr);
    }
    void click(const std::string& name) {
        QTest::mouseClick(static_cast<QAbstractButton*>(widget(name)), Qt::LeftButton);
    }
    void importRoster(const std::vector<std::string>& names) {
        std::string roster;
        for (const std::string& name : names) {
            roster += (roster.empty() ? "" : ",") + name;
        }
        QLineEdit* className = static_cast<QLineEdit*>(widget("班级编辑框"));
        focusOn(className);
        className->selectAll();
        type(className, q("高三1班"));
        seating->rosterEdit->setText(g(roster));  // pasted from the school's list
        click("一键导入按钮");
    }
    void chooseClass(const std::string& name) {
        auto* box = static_cast<QComboBox*>(widget("班级组合框"));
        box->showPopup();
        const int index = box->findText(q(name));
        ASSERT_GE(index, 0);
        QAbstractItemView* view = box->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(index, 0)).center());
        QTRY_VERIFY(!view->isVisible());
    }
    std::string field(const std::string& name) {
        return static_cast<QLineEdit*>(widget(name))->text().toStdString();
    }
    // Where the files the operator saves go; EXAMBELL_KEEP_PDF names a folder to keep them in.
    std::filesystem::path saved(const std::string& name) {
        const char* keep = std::getenv("EXAMBELL_KEEP_PDF");
        return (keep ? std::filesystem::path(keep) : output.path()) / name;
    }

    SeatingWindow* seating = nullptr;
    test::TempFolder output;
};

TEST_F(SeatingAcceptance, ImportReimportDrawMisclickRedrawAndExport) {
    // A first list of three, then the whole class of twelve under the same name.
    dialogs.answer(kOk);
    importRoster({"赵一", "钱二", "孙三"});
    chooseClass("高三1班");
    EXPECT_EQ(field("人数编辑"), "3");
    dialogs.clear();
    dialogs.answer(kOk);
    dialogs.answer(kYes);
    importRoster(kTwelve);
    EXPECT_EQ(gbkToUtf8(dialogs.messages().front().text),
              "请确认班级信息\r\n班级：高三1班\r\n人数：12");
    EXPECT_EQ(field("人数编辑"), "12");

    // Exam numbers by rows, and the exam's name already ending in 考试.
    static_cast<QComboBox*>(widget("考号顺序列表"))->setCurrentIndex(1);
    type(widget("考号前缀编辑框"), q("A"));
    focusOn(widget("考试编辑框"));
    type(widget("考试编辑框"), q("模拟考试"));
    dialogs.clear();
    click("生成座位按钮");
    EXPECT_TRUE(dialogs.texts().empty());
    const std::string code = field("抽签码编辑");
    ASSERT_EQ(code.size(), 13u);

    // One click on the column arrow cuts a column off: nothing is exported from the cut grid.
    click("竖列编辑_down");
    EXPECT_EQ(field("竖列编辑"), "5");
    click("导出PDF按钮");
    click("另存Excel按钮");
    ASSERT_EQ(dialogs.texts().size(), 2u);
    EXPECT_EQ(dialogs.texts()[0],
              "排数或列数在生成座位后改过，表格里的座位表已不完整；"
              "请重新生成座位（或按抽签码重现）后再导出");
    EXPECT_TRUE(dialogs.fileRequests().empty());

    // Back to six columns and the same chart from its code.
    click("竖列编辑_up");
    click("按码生成按钮");
    EXPECT_EQ(field("抽签码编辑"), code);

    if (std::getenv("EXAMBELL_KEEP_PDF")) {
        seating->grab().save(QString::fromStdString(saved("seating-window.png").string()));
    }
    const std::filesystem::path pdf = saved("座位表.pdf");
    const std::filesystem::path workbook = saved("座位表.xlsx");
    dialogs.clear();
    dialogs.choose(pathText(pdf));
    click("导出PDF按钮");
    dialogs.choose(pathText(workbook));
    click("另存Excel按钮");
    EXPECT_TRUE(dialogs.texts().empty());
    ASSERT_EQ(dialogs.fileRequests().size(), 2u);
    EXPECT_EQ(gbkToUtf8(dialogs.fileRequests()[0].fileName), "202612_高三1班考试座位表.pdf");

    // The PDF as pdftotext reads it.
    const std::optional<std::string> text =
        run(QStringLiteral("pdftotext"), {QString::fromStdString(pdf.string()), q("-")});
    ASSERT_TRUE(text) << "pdftotext";
    EXPECT_NE(text->find("模拟考试座位表"), std::string::npos) << *text;
    EXPECT_EQ(text->find("考试考试"), std::string::npos);
    EXPECT_NE(text->find("班级：高三1班"), std::string::npos);
    EXPECT_NE(text->find("抽签码：" + code), std::string::npos);
    EXPECT_NE(text->find("第2行"), std::string::npos);
    for (const std::string& name : kTwelve) {
        EXPECT_NE(text->find(name), std::string::npos) << name;
    }
    EXPECT_NE(text->find("A01"), std::string::npos);
    EXPECT_NE(text->find("A12"), std::string::npos);
    if (std::getenv("EXAMBELL_KEEP_PDF")) {
        run(QStringLiteral("pdftoppm"),
            {q("-png"), q("-r"), q("60"), QString::fromStdString(pdf.string()),
             QString::fromStdString((pdf.parent_path() / "座位表").string())});
    }

    // The workbook as openpyxl reads it.
    const std::optional<std::string> cells =
        run(QStringLiteral("/usr/bin/python3"),
            {q("-c"), q(kOpenpyxl), QString::fromStdString(workbook.string())});
    ASSERT_TRUE(cells) << "openpyxl";
    EXPECT_NE(cells->find("title=202612_高三1班考试座位表\n"), std::string::npos) << *cells;
    EXPECT_NE(cells->find("B2=第6列\n"), std::string::npos);
    EXPECT_NE(cells->find("G2=第1列\n"), std::string::npos);
    EXPECT_NE(cells->find("A4=第2行\n"), std::string::npos);
    EXPECT_NE(cells->find("G3=A01|"), std::string::npos);  // 考号 01 under 第1列
    for (const std::string& name : kTwelve) {
        EXPECT_NE(cells->find("|" + name + "\n"), std::string::npos) << name;
    }

    // And as LibreOffice reads it, with a profile of its own.
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    }
    test::TempFolder profile;
    test::TempFolder csvFolder;
    const std::optional<std::string> converted =
        run(soffice,
            {q("-env:UserInstallation=file://") + QString::fromStdString(profile.path().string()),
             q("--headless"), q("--convert-to"), q("csv:Text - txt - csv (StarCalc):44,34,76"),
             q("--outdir"), QString::fromStdString(csvFolder.path().string()),
             QString::fromStdString(workbook.string())});
    ASSERT_TRUE(converted) << "soffice";
    const std::string csv = csvFolder.read("座位表.csv");
    EXPECT_NE(csv.find("第6列"), std::string::npos) << csv;
    EXPECT_NE(csv.find("第1行"), std::string::npos);
    for (const std::string& name : kTwelve) {
        EXPECT_NE(csv.find(name), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace exambell
