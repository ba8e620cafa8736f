// Qt's own texts in Chinese under LANG=C: the message boxes' buttons, wide enough for their
// caption, and a refused file name in the file dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "tests/support/TempFolder.h"
#include "text/Encoding.h"
#include "ui/QtDialogs.h"
#include "ui/QtTranslation.h"

namespace exambell {
namespace {

// Runs f on the next modal window to open, once it is shown.
void onModal(std::function<void(QWidget*)> f) {
    QTimer::singleShot(0, [f] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            onModal(f);
            return;
        }
        f(modal);
    });
}

QStringList buttonTexts(QMessageBox* box) {
    QStringList texts;
    for (QAbstractButton* b : box->buttons()) {
        texts << b->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    }
    texts.sort();
    return texts;
}

class QtChinese : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        qputenv("LANG", "C");
        QLocale::setDefault(QLocale::c());
        loaded = installQtChinese(*qApp, {QStringLiteral(EXAMBELL_PORTABLE_FOLDER)});
    }
    static QString loaded;
    QtDialogs qtDialogs;
    Dialogs& dialogs = qtDialogs;
};
QString QtChinese::loaded;

TEST_F(QtChinese, PortableCopyBesideTheProgramIsLoaded) {
    EXPECT_EQ(loaded, QStringLiteral(EXAMBELL_PORTABLE_FOLDER "/qtbase_zh_CN.qm"));
}

TEST_F(QtChinese, MessageBoxButtonsAreChineseAndTheCaptionHasRoom) {
    QStringList yesNo;
    QStringList okCancel;
    int width = 0;
    onModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        yesNo = buttonTexts(box);
        width = box->width();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(
        dialogs.message(utf8ToGbk("是否继续"), MessageButtons::YesNo, MessageIcon::None, nullptr),
        kNo);
    onModal([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        okCancel = buttonTexts(box);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(
        dialogs.message(utf8ToGbk("已重置"), MessageButtons::OkCancel, MessageIcon::None, nullptr),
        kOk);
    QStringList expectedYesNo{QStringLiteral("否"), QStringLiteral("是")};
    expectedYesNo.sort();
    QStringList expectedOkCancel{QStringLiteral("取消"), QStringLiteral("确定")};
    expectedOkCancel.sort();
    EXPECT_EQ(yesNo, expectedYesNo);
    EXPECT_EQ(okCancel, expectedOkCancel);
    EXPECT_GE(width, 260);
}

TEST_F(QtChinese, FileWhoseNameGbkLacksIsRefusedNamingTheCharacter) {
    test::TempFolder folder;
    const std::filesystem::path file = folder.write("Zoë.mp3", "ID3");
    QString refusal;
    onModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QString::fromStdString(file.string()));
        onModal([&](QWidget* second) {
            auto* box = qobject_cast<QMessageBox*>(second);
            ASSERT_NE(box, nullptr);
            refusal = box->text();
            box->accept();
        });
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<Text> chosen =
        dialogs.openFile(utf8ToGbk("音乐文件(*.mp3)|*.mp3"), folder.text(), Text(), nullptr);
    EXPECT_EQ(chosen, std::nullopt);
    EXPECT_TRUE(refusal.contains(QStringLiteral("“ë”（U+00EB）"))) << refusal.toStdString();
}

// Qt's own dialog, whatever the desktop (GNOME would give its chooser in the session's language),
// Chinese through and through: its buttons, its column headings, and the type of a folder.
TEST_F(QtChinese, FileDialogIsQtsOwnAndSaysFolderInChinese) {
    test::TempFolder folder;
    std::filesystem::create_directory(folder.path() / "班级名单");
    folder.write("config.ini", "[exam_1]\r\n");
    bool native = true;
    QString folderType;
    QString typeHeading;
    QString openCaption;
    onModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        auto* model = dialog->findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        const QString sub = QString::fromStdString((folder.path() / "班级名单").string());
        // The folder's entries come from a thread of the model's.
        ASSERT_TRUE(QTest::qWaitFor([&] { return model->index(sub).isValid(); }, 10000));
        folderType = model->index(sub).siblingAtColumn(2).data().toString();
        typeHeading = model->headerData(2, Qt::Horizontal).toString();
        if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
            openCaption = buttons->button(QDialogButtonBox::Open)
                              ? buttons->button(QDialogButtonBox::Open)->text()
                              : QString();
        }
        dialog->reject();
    });
    EXPECT_EQ(dialogs.openFile(utf8ToGbk("配置文件(*.ini)|*.ini"), folder.text(), Text(), nullptr),
              std::nullopt);
    EXPECT_FALSE(native);
    EXPECT_EQ(folderType, QStringLiteral("文件夹"));
    EXPECT_EQ(typeHeading, QStringLiteral("类型"));
    EXPECT_TRUE(openCaption.startsWith(QStringLiteral("打开"))) << openCaption.toStdString();
}

}  // namespace
}  // namespace exambell
