// The main window: collects a run's settings, accepts a dropped NC file, starts the run
// and keeps, for its whole life, what outlives one run.
#pragma once

#include "app/Dialogs.h"
#include "run/AnalysisRun.h"
#include "run/AppState.h"
#include "run/RunSettings.h"
#include "run/Services.h"

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
    TForm1(const Dialogs& dialogs, std::string programDir, QWidget* parent = nullptr);
    ~TForm1() override;

    // The settings a press of the start button would take.
    run::RunSettings runSettings() const;
    const std::string& ncFilePath() const { return ncFilePath_; }
    const std::string& ncFolder() const { return ncFolder_; }
    const run::AppState& appState() const { return state_; }
    const run::RunResult& lastRun() const { return lastRun_; }

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

private:
    void buildControls();
    void showCheckErrors();
    void progress(std::uint64_t bytesRead, std::uint64_t bytesTotal) override;

    Dialogs dialogs_;
    run::AppState state_;             // templates, summary, entry state and radius cache
    std::string ncFilePath_;          // the NC file of the next run
    std::string ncFolder_;            // its folder, offered as working folder
    std::string workingFolder_;       // last chosen or dropped working folder
    std::string preselectedFile_;     // the file chooser's preselection after a drop
    std::string chooserFolder_;       // and its initial folder
    run::RunResult lastRun_;
    QProgressDialog* progressDialog_ = nullptr;  // shown while a large file runs
    int progressCalls_ = 0;
};

}  // namespace app
