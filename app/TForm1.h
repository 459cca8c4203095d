// The main window in Qt: its widgets over the toolkit-neutral WindowState, which holds
// what the fields say, what each action does and what outlives one run.
#pragma once

#include "window/WindowState.h"

#include <QStringList>
#include <QWidget>

#include <string>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QProgressDialog;
class QRadioButton;
class QToolButton;

namespace app {

class TForm1 : public QWidget, private run::Progress {
    Q_OBJECT

public:
    TForm1(const window::Dialogs& dialogs, std::string programDir, QWidget* parent = nullptr);
    ~TForm1() override;

    // The settings a press of the start button would take.
    run::RunSettings runSettings() const;
    const std::string& ncFilePath() const { return state_.ncFilePath(); }
    const std::string& ncFolder() const { return state_.ncFolder(); }
    const run::AppState& appState() const { return state_.appState(); }
    const run::RunResult& lastRun() const { return state_.lastRun(); }

    // Files dropped from the desktop, in the order the shell lists them.
    void dropFiles(const QStringList& paths);
    // The program's arguments (the program's name first): a file given as a desktop's
    // "open with" passes it counts as dropped. Options and their values are skipped.
    void takeArguments(const QStringList& arguments);

    QFrame* MainPanel = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* editNcFile = nullptr;
    QToolButton* btnFileNameSelect = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* editWarkingDir = nullptr;
    QToolButton* btnDirSelect = nullptr;
    QLabel* labelResultDir = nullptr;
    QLineEdit* editResultDir = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QFrame* SettingPane = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* InitX = nullptr;
    QLabel* InitY = nullptr;
    QLabel* InitZ = nullptr;
    QLineEdit* edInitX = nullptr;
    QLineEdit* edInitY = nullptr;
    QLineEdit* edInitZ = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QRadioButton* rbtnOffsetOn = nullptr;
    QRadioButton* rbtnOffsetOff = nullptr;
    QPushButton* btnStart = nullptr;
    QLabel* Panel1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

public slots:
    void btnFileNameSelectClick();
    void btnDirSelectClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void btnStartClick();
    void editNcFileEdited(const QString& text);
    void editNcFileFinished();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // A click on the drop panel after a run that found errors opens the sheet's findings.
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildControls();
    void progress(std::uint64_t bytesRead, std::uint64_t bytesTotal) override;
    // What the user typed into the state, and the state into the widgets.
    void takeFields();
    void showFields();

    mutable window::WindowState state_;
    QProgressDialog* progressDialog_ = nullptr;  // shown while a large file runs
    int progressCalls_ = 0;
};

}  // namespace app
