#include "app/Inputtoolradius.h"
#include "app/QtDialogs.h"
#include "tests/app/ModalAnswer.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using Buttons = util::MessageBoxService::Buttons;
using Result = util::MessageBoxService::Result;

TEST(QtDialogs, MessageBoxShowsTextCaptionAndButtons)
{
    app::QtDialogs dialogs;
    QString text;
    QString title;
    int buttons = 0;
    apptest::answerNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(dialogs.showMessage("「/w/Result」フォルダが存在します\nこの中の結果ファイルは書き換えられます？！",
                                  "ExistsDirectory", Buttons::OkCancel),
              Result::Cancel);
    EXPECT_EQ(text, QString::fromUtf8("「/w/Result」フォルダが存在します\nこの中の結果ファイルは書き換えられます？！"));
    EXPECT_EQ(title, "ExistsDirectory");
    EXPECT_EQ(buttons, 2);

    apptest::answerNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(dialogs.showMessage("Can't Create !", "Directory Create", Buttons::Ok), Result::Ok);
}

TEST(QtDialogs, ErrorDisplayUsesTheApplicationTitleAndTheErrorIcon)
{
    app::QtDialogs dialogs;
    apptest::answerNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Brelvane");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->text(), QString::fromUtf8("'x' は浮動小数点数ではありません."));
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.showError("'x' は浮動小数点数ではありません.");
}

TEST(QtDialogs, RadiusPromptAnswered)
{
    app::QtDialogs dialogs;
    apptest::answerNextModal([](QWidget* modal) {
        auto* prompt = qobject_cast<app::TformToorRadius*>(modal);
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->windowTitle(), QString::fromUtf8("工具径"));
        EXPECT_EQ(prompt->findChild<QLabel*>("Panel1")->text(), "D01 = ?");
        EXPECT_EQ(prompt->findChild<QLabel*>("Label1")->text(), QString::fromUtf8("補正値"));
        EXPECT_EQ(prompt->findChild<QLineEdit*>("Edit1")->text(), "");
        prompt->findChild<QLineEdit*>("Edit1")->setText("5.5");
        prompt->findChild<QPushButton*>("Button1")->click();
    });
    EXPECT_EQ(dialogs.askRadius(1, "D01 = ?"), std::optional<std::string>("5.5"));
}

TEST(QtDialogs, RadiusPromptClosedByItsTitleBar)
{
    app::QtDialogs dialogs;
    apptest::answerNextModal([](QWidget* modal) {
        modal->findChild<QLineEdit*>("Edit1")->setText("7");
        modal->close();
    });
    EXPECT_EQ(dialogs.askRadius(12, "D12 = ?"), std::nullopt);
}

}  // namespace

#include "app/TForm1.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

#include <QRadioButton>
#include <filesystem>

namespace {

class NoFileChooser : public window::NcFileChooser {
public:
    std::optional<std::string> chooseNcFile(const std::string&, const std::string&) override { return std::nullopt; }
};

class NoFolderBrowser : public util::FolderBrowser {
public:
    std::string browseFolder(const std::string&, const std::string&) override { return {}; }
};

// A whole run from the window with the real dialogs: the questions come in the run's
// order, each modal in front of the disabled window.
TEST(QtDialogs, RunAsksItsQuestionsInOrder)
{
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir.file("templates"));
    testsupport::writeFile(dir.file("templates/hedder.txt"), "<html><body>\r\n");
    testsupport::writeFile(dir.file("templates/index.html"), "<html></html>\r\n");
    testsupport::writeFile(dir.file("part.nc"), "G92X0.Y0.Z0.\nG41 G01 X5. D3 F100\nG03 X15. I5.\nM30\n");
    std::filesystem::create_directory(dir.file("Result"));

    app::QtDialogs real;
    testsupport::FakeShell shell;
    NoFileChooser chooser;
    NoFolderBrowser browser;
    const window::Dialogs dialogs{real, real, shell, real, chooser, browser};
    app::TForm1 form(dialogs, dir.file("templates"));
    real.setOwner(&form);
    form.dropFiles({QString::fromStdString(dir.file("part.nc"))});
    form.rbtnOffsetOn->setChecked(true);

    std::vector<std::string> seen;
    apptest::answerNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen.push_back(box->windowTitle().toStdString());
        EXPECT_FALSE(form.isEnabled());
        apptest::answerNextModal([&](QWidget* next) {
            seen.push_back(next->findChild<QLabel*>("Panel1")->text().toStdString());
            next->findChild<QLineEdit*>("Edit1")->setText("5");
            next->findChild<QPushButton*>("Button1")->click();
        });
        box->button(QMessageBox::Ok)->click();
    });
    form.btnStartClick();
    EXPECT_EQ(seen, (std::vector<std::string>{"ExistsDirectory", "D03 = ?"}));
    EXPECT_EQ(form.lastRun().outcome, run::RunOutcome::Completed);
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_TRUE(form.isEnabled());
    EXPECT_NE(testsupport::readFile(dir.file("Result/data.html")).find("-------------------"), std::string::npos);
}

}  // namespace
