#include "app/TForm1.h"
#include "tests/support/FakeServices.h"
#include "tests/support/FakeWindowDialogs.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

namespace {

using testsupport::FakeFileChooser;
using testsupport::FakeFolderBrowser;

class Window : public testing::Test {
protected:
    Window()
    {
        std::filesystem::create_directory(dir.file("templates"));
        testsupport::writeFile(dir.file("templates/hedder.txt"), "<html><body>\r\n");
        testsupport::writeFile(dir.file("templates/index.html"), "<html></html>\r\n");
    }

    testsupport::TempDir dir;
    testsupport::FakeServices fakes;
    FakeFileChooser chooser;
    FakeFolderBrowser browser;
    window::Dialogs dialogs{fakes.messages, fakes.errors, fakes.shell, fakes.radius, chooser, browser};
    app::TForm1 form{dialogs, dir.file("templates")};
};

template <typename W>
W* control(const QWidget& form, const char* name)
{
    W* w = form.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST_F(Window, ControlsCarryTheirNamesTextsAndDefaults)
{
    EXPECT_EQ(form.windowTitle(), "Brelvane");
    EXPECT_EQ(control<QGroupBox>(form, "GroupBox1")->title(), QString::fromUtf8("Ｎｃデータファイル名"));
    EXPECT_EQ(control<QGroupBox>(form, "GroupBox2")->title(), QString::fromUtf8("作業フォルダ"));
    EXPECT_EQ(control<QGroupBox>(form, "GroupBox3")->title(), QString::fromUtf8("加工スタート点"));
    EXPECT_EQ(control<QGroupBox>(form, "GroupBox4")->title(), QString::fromUtf8("工具径補正最小Ｒ"));
    EXPECT_EQ(control<QLabel>(form, "labelResultDir")->text(), QString::fromUtf8("このフォルダに結果を保存"));
    EXPECT_EQ(control<QLineEdit>(form, "editResultDir")->text(), "Result");
    EXPECT_EQ(control<QLineEdit>(form, "editNcFile")->text(), "");
    EXPECT_EQ(control<QLineEdit>(form, "editWarkingDir")->text(), "");
    EXPECT_EQ(control<QLineEdit>(form, "edInitX")->text(), "0");
    EXPECT_EQ(control<QLineEdit>(form, "edInitY")->text(), "0");
    EXPECT_EQ(control<QLineEdit>(form, "edInitZ")->text(), "200");
    EXPECT_EQ(control<QLabel>(form, "InitX")->text(), "X:");
    EXPECT_EQ(control<QPushButton>(form, "BitBtn1")->text(), QString::fromUtf8("入力クリア"));
    EXPECT_EQ(control<QPushButton>(form, "BitBtn2")->text(), QString::fromUtf8("閉じる"));
    EXPECT_EQ(control<QPushButton>(form, "btnStart")->text(), QString::fromUtf8("解析開始"));
    EXPECT_EQ(control<QLabel>(form, "Panel1")->text(), QString::fromUtf8("NCデータをドロップ"));
    EXPECT_EQ(control<QRadioButton>(form, "rbtnOffsetOn")->text(), QString::fromUtf8("チェックする"));
    EXPECT_FALSE(form.rbtnOffsetOn->isChecked());
    EXPECT_TRUE(control<QRadioButton>(form, "rbtnOffsetOff")->isChecked());
    EXPECT_TRUE(form.acceptDrops());
    EXPECT_EQ(form.runSettings(), run::RunSettings{});
}

TEST_F(Window, NoTextIsClipped)
{
    for (const QWidget* w : form.findChildren<QWidget*>()) {
        if (qobject_cast<const QLabel*>(w) || qobject_cast<const QPushButton*>(w) ||
            qobject_cast<const QRadioButton*>(w)) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
            EXPECT_GE(w->height(), w->sizeHint().height()) << w->objectName().toStdString();
        }
        if (w->parentWidget() && w->parentWidget() != &form) {
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << w->objectName().toStdString();
        }
    }
}

TEST_F(Window, TabOrderFollowsTheDesign)
{
    const std::vector<QWidget*> order{form.editNcFile, form.editWarkingDir, form.editResultDir, form.BitBtn1,
                                      form.edInitX, form.edInitY, form.edInitZ, form.rbtnOffsetOn,
                                      form.rbtnOffsetOff, form.btnStart, form.Panel1, form.BitBtn2};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(order[i]->nextInFocusChain(), order[i + 1]) << i;
    }
}

TEST_F(Window, FileChooserPickedFillsFileFolderAndEmptyWorkingFolder)
{
    chooser.answers = {"/nc/jobs/part.nc"};
    form.btnFileNameSelect->click();
    EXPECT_EQ(form.editNcFile->text(), "/nc/jobs/part.nc");
    EXPECT_EQ(form.ncFilePath(), "/nc/jobs/part.nc");
    EXPECT_EQ(form.ncFolder(), "/nc/jobs");
    EXPECT_EQ(form.editWarkingDir->text(), "/nc/jobs");
}

TEST_F(Window, FileChooserCancelledRefillsAnEmptyWorkingFolder)
{
    chooser.answers = {std::nullopt};
    form.btnFileNameSelectClick();
    EXPECT_EQ(form.editWarkingDir->text(), "");
    chooser.answers = {"/a/b.nc", std::nullopt};
    form.btnFileNameSelectClick();
    form.editWarkingDir->setText("/elsewhere");
    form.btnFileNameSelectClick();
    EXPECT_EQ(form.editWarkingDir->text(), "/elsewhere");
    form.editWarkingDir->clear();
    form.btnFileNameSelectClick();
    EXPECT_EQ(form.editWarkingDir->text(), "/a");
    EXPECT_EQ(form.ncFilePath(), "/a/b.nc");
}

// Keys as a user types them into a field, ending with Return.
void type(QLineEdit* field, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
}

TEST_F(Window, ATypedOrPastedFileNameRuns)
{
    testsupport::writeFile(dir.file("typed.nc"), "G00 X10.\nM30\n");
    type(form.editNcFile, QString::fromStdString(dir.file("typed.nc")));
    EXPECT_EQ(form.ncFilePath(), dir.file("typed.nc"));
    EXPECT_EQ(form.editWarkingDir->text().toStdString(), dir.path());
    form.btnStartClick();
    EXPECT_EQ(form.lastRun().outcome, run::RunOutcome::Completed);
    EXPECT_TRUE(fakes.messages.shown.empty());

    // A pasted path replaces it; a working folder already given stays.
    form.editWarkingDir->setText("/elsewhere");
    QApplication::clipboard()->setText("/pasted/part.nc");
    form.editNcFile->selectAll();
    form.editNcFile->paste();
    type(form.editNcFile, "");
    EXPECT_EQ(form.ncFilePath(), "/pasted/part.nc");
    EXPECT_EQ(form.ncFolder(), "/pasted");
    EXPECT_EQ(form.editWarkingDir->text(), "/elsewhere");

    form.BitBtn1->click();
    EXPECT_EQ(form.ncFilePath(), "");
    EXPECT_EQ(form.editNcFile->text(), "");
    EXPECT_EQ(form.editWarkingDir->text(), "");
}

TEST_F(Window, FolderBrowserPickedOrCancelled)
{
    browser.answer = "/work/out";
    form.btnDirSelect->click();
    EXPECT_EQ(form.editWarkingDir->text(), "/work/out");
    EXPECT_EQ(browser.captions, std::vector<std::string>{"作業フォルダを指定して下さい。ここに結果ファイルが作成されます"});
    browser.answer = "";
    form.btnDirSelectClick();
    EXPECT_EQ(form.editWarkingDir->text(), "");
}

TEST_F(Window, ClearKeepsResultNameStartPointAndCheck)
{
    form.dropFiles({"/a/b.nc"});
    form.editResultDir->setText("Out");
    form.edInitZ->setText("50");
    form.rbtnOffsetOn->setChecked(true);
    form.BitBtn1->click();
    EXPECT_EQ(form.ncFilePath(), "");
    EXPECT_EQ(form.ncFolder(), "");
    EXPECT_EQ(form.editNcFile->text(), "");
    EXPECT_EQ(form.editWarkingDir->text(), "");
    EXPECT_EQ(form.editResultDir->text(), "Out");
    EXPECT_EQ(form.edInitZ->text(), "50");
    EXPECT_TRUE(form.rbtnOffsetOn->isChecked());
    // The chooser keeps the dropped file preselected.
    form.btnFileNameSelectClick();
    EXPECT_EQ(chooser.asked.back(), (std::pair<std::string, std::string>{"/a/b.nc", "/a"}));
}

TEST_F(Window, DropFillsOnlyAnEmptyWorkingFolderAndTheLastFileHolds)
{
    form.dropFiles({"/one/x.nc", "/two/y.nc"});
    EXPECT_EQ(form.ncFilePath(), "/two/y.nc");
    EXPECT_EQ(form.editNcFile->text(), "/two/y.nc");
    EXPECT_EQ(form.editWarkingDir->text(), "/one");
    form.dropFiles({"/three/z.nc"});
    EXPECT_EQ(form.editWarkingDir->text(), "/one");
    form.BitBtn1Click();
    form.dropFiles({"/three/z.nc"});
    EXPECT_EQ(form.editWarkingDir->text(), "/three");
}

TEST_F(Window, FileArgumentCountsAsDropped)
{
    form.takeArguments({"brelvane", "--grab", "/tmp/w.png", "/jobs/part.nc"});
    EXPECT_EQ(form.ncFilePath(), "/jobs/part.nc");
    EXPECT_EQ(form.editWarkingDir->text(), "/jobs");
}

TEST_F(Window, DropEventFromTheDesktop)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/d/p.nc")});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window's event handler: the application's dispatch would first need
    // a drag that entered over a visible window.
    static_cast<QObject&>(form).event(&drop);
    EXPECT_EQ(form.ncFilePath(), "/d/p.nc");
    EXPECT_EQ(form.editWarkingDir->text(), "/d");
}

TEST_F(Window, StartRunsAndOpensTheReport)
{
    testsupport::writeFile(dir.file("part.nc"), "G92X0.Y0.Z0.\nG41 G01 X5. D1 F100\nG03 X15. I5.\nM30\n");
    form.dropFiles({QString::fromStdString(dir.file("part.nc"))});
    form.rbtnOffsetOn->setChecked(true);
    fakes.radius.answers = {"5"};
    form.btnStart->click();
    EXPECT_EQ(form.lastRun().outcome, run::RunOutcome::Completed);
    EXPECT_EQ(fakes.shell.opened, std::vector<std::string>{dir.file("Result/index.html")});
    EXPECT_EQ(fakes.radius.asked, std::vector<std::string>{"D01 = ?"});
    EXPECT_TRUE(form.isEnabled());
    // The program never starts the spindle, and a 5 mm radius over-cuts the arc of 5:
    // the window says there are errors.
    EXPECT_EQ(form.Panel1->text(), QString::fromUtf8("NCデータをドロップ\n\nチェック: エラー 2 件"));

    // A second run keeps the radius cache: the same D number is not asked again.
    fakes.messages.answers = {util::MessageBoxService::Result::Ok};
    form.btnStartClick();
    EXPECT_EQ(fakes.radius.asked.size(), 1u);
    EXPECT_EQ(form.appState().radiusCache.compToolDiameter, 10.0);
    EXPECT_EQ(fakes.messages.shown.size(), 1u);  // the overwrite question
}

// The window's machine profile comes from the user's configuration folder; one that
// cannot be used stops the run before it starts.
TEST_F(Window, MachineProfileFromTheConfigurationFolder)
{
    std::filesystem::create_directories(dir.file("config/brelvane"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("config")));
    testsupport::writeFile(dir.file("part.nc"), "G01 X10. F100\nM30\n");
    form.dropFiles({QString::fromStdString(dir.file("part.nc"))});

    testsupport::writeFile(dir.file("config/brelvane/machine.toml"), "name = \"Mill\"\ntool_change = 3.0\n");
    form.btnStartClick();
    ASSERT_EQ(form.lastRun().outcome, run::RunOutcome::Completed);
    EXPECT_EQ(form.lastRun().record->machine.name, "Mill");

    testsupport::writeFile(dir.file("config/brelvane/machine.toml"), "spindle = 1\n");
    fakes.messages.answers = {util::MessageBoxService::Result::Ok};
    fakes.shell.opened.clear();
    form.btnStartClick();
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(fakes.errors.shown,
              std::vector<std::string>{dir.file("config/brelvane/machine.toml") + ":1: spindle: unknown key."});
    EXPECT_TRUE(fakes.shell.opened.empty());
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(Window, BadStartFieldShowsTheConversionError)
{
    testsupport::writeFile(dir.file("part.nc"), "M30\n");
    form.dropFiles({QString::fromStdString(dir.file("part.nc"))});
    form.edInitX->setText("abc");
    form.btnStartClick();
    EXPECT_EQ(fakes.errors.shown, std::vector<std::string>{"'abc' は浮動小数点数ではありません."});
    EXPECT_TRUE(fakes.shell.opened.empty());
}

TEST_F(Window, StartWithoutAFileSaysSo)
{
    form.btnStartClick();
    ASSERT_EQ(fakes.messages.shown.size(), 1u);
    EXPECT_EQ(fakes.messages.shown[0].caption, "ExistsFile");
}

}  // namespace
