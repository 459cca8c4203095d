#include "app/TForm1.h"

#include "app/Messages.h"
#include "app/QtText.h"
#include "app/WindowLayout.h"
#include "run/AnalysisRun.h"
#include "util/File.h"
#include "util/Number.h"
#include "util/UserError.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

#include <algorithm>

namespace app {

namespace {

constexpr double kStartX = 0.0;
constexpr double kStartY = 0.0;
constexpr double kStartZ = 200.0;
constexpr std::uint64_t kProgressFrom = 4u << 20;  // smaller files finish before a dialog would help

template <typename W>
W* make(QWidget* parent, const char* name)
{
    auto* widget = new W(parent);
    widget->setObjectName(name);
    return widget;
}

}  // namespace

TForm1::TForm1(const Dialogs& dialogs, std::string programDir, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs)
{
    // 1. A target for files dropped from the desktop.
    setAcceptDrops(true);
    setObjectName("Form1");
    setWindowTitle(messages::kApplicationTitle);
    setFont(windowFont());

    // 2. Entry state, radius cache and summary start empty (AppState's defaults); the
    // templates lie beside the program.
    state_.programDir = std::move(programDir);

    buildControls();

    // 3. The start point in general number format.
    edInitX->setText(fromUtf8(util::formatGeneral(kStartX)));
    edInitY->setText(fromUtf8(util::formatGeneral(kStartY)));
    edInitZ->setText(fromUtf8(util::formatGeneral(kStartZ)));

    // 4. The drop prompt.
    Panel1->setText(QString::fromUtf8(messages::kDropPrompt));
}

TForm1::~TForm1() = default;

void TForm1::buildControls()
{
    const auto group = [](QWidget* parent, const char* name, const char* title) {
        auto* box = make<QGroupBox>(parent, name);
        box->setTitle(QString::fromUtf8(title));
        return box;
    };
    const auto button = [](QWidget* parent, const char* name, const char* text) {
        auto* b = make<QPushButton>(parent, name);
        b->setText(QString::fromUtf8(text));
        return b;
    };

    MainPanel = make<QFrame>(this, "MainPanel");
    GroupBox1 = group(MainPanel, "GroupBox1", "Ｎｃデータファイル名");
    editNcFile = make<QLineEdit>(GroupBox1, "editNcFile");
    place(editNcFile, 6, 18, 363, 24);
    btnFileNameSelect = make<QToolButton>(GroupBox1, "btnFileNameSelect");
    btnFileNameSelect->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    place(btnFileNameSelect, 376, 16, 32, 24);
    place(GroupBox1, 8, 8, 417, 49);

    GroupBox2 = group(MainPanel, "GroupBox2", "作業フォルダ");
    editWarkingDir = make<QLineEdit>(GroupBox2, "editWarkingDir");
    place(editWarkingDir, 8, 18, 361, 24);
    btnDirSelect = make<QToolButton>(GroupBox2, "btnDirSelect");
    btnDirSelect->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    place(btnDirSelect, 376, 16, 32, 24);
    labelResultDir = make<QLabel>(GroupBox2, "labelResultDir");
    labelResultDir->setText(QString::fromUtf8("このフォルダに結果を保存"));
    place(labelResultDir, 24, 52, 0, 0);
    editResultDir = make<QLineEdit>(GroupBox2, "editResultDir");
    editResultDir->setText("Result");
    place(editResultDir, std::max(200, labelResultDir->geometry().right() + 6), 48, 105, 24);
    BitBtn1 = button(GroupBox2, "BitBtn1", "入力クリア");
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    place(BitBtn1, std::max(312, editResultDir->geometry().right() + 7), 48, 97, 25);
    place(GroupBox2, 8, 64, std::max(417, BitBtn1->geometry().right() + 8), 89);
    GroupBox1->resize(GroupBox2->width(), GroupBox1->height());
    MainPanel->setGeometry(QRect(QPoint(0, 0), fitting(MainPanel, 433, 161)));

    SettingPane = make<QFrame>(this, "SettingPane");
    GroupBox3 = group(SettingPane, "GroupBox3", "加工スタート点");
    QLabel** labels[] = {&InitX, &InitY, &InitZ};
    QLineEdit** fields[] = {&edInitX, &edInitY, &edInitZ};
    const char* labelNames[] = {"InitX", "InitY", "InitZ"};
    const char* fieldNames[] = {"edInitX", "edInitY", "edInitZ"};
    const char* texts[] = {"X:", "Y:", "Z:"};
    for (int i = 0; i < 3; ++i) {
        QLabel* label = make<QLabel>(GroupBox3, labelNames[i]);
        label->setText(texts[i]);
        label->setFont(startLabelFont());
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        place(label, 11, 18 + 35 * i, 28, 26);
        *labels[i] = label;
        QLineEdit* field = make<QLineEdit>(GroupBox3, fieldNames[i]);
        place(field, std::max(45, label->geometry().right() + 6), 18 + 35 * i, 151, 23);
        *fields[i] = field;
    }
    place(GroupBox3, 8, 8, 217, 129);

    GroupBox4 = group(SettingPane, "GroupBox4", "工具径補正最小Ｒ");
    rbtnOffsetOn = make<QRadioButton>(GroupBox4, "rbtnOffsetOn");
    rbtnOffsetOn->setText(QString::fromUtf8("チェックする"));
    place(rbtnOffsetOn, 16, 32, 113, 17);
    rbtnOffsetOff = make<QRadioButton>(GroupBox4, "rbtnOffsetOff");
    rbtnOffsetOff->setText(QString::fromUtf8("チェックしない"));
    rbtnOffsetOff->setChecked(true);
    place(rbtnOffsetOff, 16, 56, 113, 17);
    const int rightColumn = std::max(232, GroupBox3->geometry().right() + 7);
    place(GroupBox4, rightColumn, 8, 185, 105);

    btnStart = button(SettingPane, "btnStart", "解析開始");
    place(btnStart, 6, std::max(140, GroupBox3->geometry().bottom() + 3), 155, 78);
    BitBtn2 = button(SettingPane, "BitBtn2", "閉じる");
    place(BitBtn2, btnStart->geometry().right() + 1, btnStart->y(), 65, 78);
    Panel1 = make<QLabel>(SettingPane, "Panel1");
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setText(QString::fromUtf8(messages::kDropPrompt));
    place(Panel1, rightColumn, std::max(120, GroupBox4->geometry().bottom() + 7), 185, 105);
    const QSize pane = fitting(SettingPane, 433, 249);
    SettingPane->setGeometry(0, MainPanel->geometry().bottom(), std::max(pane.width(), MainPanel->width()),
                             pane.height());
    MainPanel->resize(SettingPane->width(), MainPanel->height());
    setFixedSize(SettingPane->width(), SettingPane->geometry().bottom() + 1);

    // Tab order: file, working folder, result name, clear, X, Y, Z, the radio buttons,
    // start, drop panel, close.
    QWidget* order[] = {editNcFile, editWarkingDir, editResultDir, BitBtn1, edInitX, edInitY, edInitZ,
                        rbtnOffsetOn, rbtnOffsetOff, btnStart, Panel1, BitBtn2};
    Panel1->setFocusPolicy(Qt::TabFocus);
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }

    connect(btnFileNameSelect, &QToolButton::clicked, this, &TForm1::btnFileNameSelectClick);
    connect(btnDirSelect, &QToolButton::clicked, this, &TForm1::btnDirSelectClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(btnStart, &QPushButton::clicked, this, &TForm1::btnStartClick);
    connect(editNcFile, &QLineEdit::textEdited, this, &TForm1::editNcFileEdited);
    connect(editNcFile, &QLineEdit::editingFinished, this, &TForm1::editNcFileFinished);
}

run::RunSettings TForm1::runSettings() const
{
    run::RunSettings settings;
    settings.ncFile = ncFilePath_;
    settings.workingDir = toUtf8(editWarkingDir->text());
    settings.resultDirName = toUtf8(editResultDir->text());
    settings.startX = toUtf8(edInitX->text());
    settings.startY = toUtf8(edInitY->text());
    settings.startZ = toUtf8(edInitZ->text());
    settings.offsetCheck = rbtnOffsetOn->isChecked();
    return settings;
}

void TForm1::btnFileNameSelectClick()
{
    if (const auto picked = dialogs_.fileChooser.chooseNcFile(preselectedFile_, chooserFolder_)) {
        editNcFile->setText(fromUtf8(*picked));
        ncFilePath_ = toUtf8(editNcFile->text());
        ncFolder_ = util::folderOf(ncFilePath_);
        preselectedFile_ = ncFilePath_;
        chooserFolder_ = ncFolder_;
    }
    if (editWarkingDir->text().isEmpty()) {
        editWarkingDir->setText(fromUtf8(ncFolder_));
    }
}

void TForm1::editNcFileEdited(const QString& text)
{
    // A typed or pasted path counts as a chosen one.
    ncFilePath_ = toUtf8(text);
    ncFolder_ = util::folderOf(ncFilePath_);
    preselectedFile_ = ncFilePath_;
    chooserFolder_ = ncFolder_;
}

void TForm1::editNcFileFinished()
{
    if (editWarkingDir->text().isEmpty() && !ncFolder_.empty()) {
        editWarkingDir->setText(fromUtf8(ncFolder_));
    }
}

void TForm1::takeArguments(const QStringList& arguments)
{
    QStringList files;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--grab") {
            ++i;  // the picture's path
        } else if (!arguments[i].startsWith("-")) {
            files << arguments[i];
        }
    }
    if (!files.isEmpty()) {
        dropFiles(files);
    }
}

void TForm1::btnDirSelectClick()
{
    workingFolder_ = dialogs_.folderBrowser.browseFolder(messages::kFolderBrowserCaption, "");
    editWarkingDir->setText(fromUtf8(workingFolder_));
}

void TForm1::BitBtn1Click()
{
    ncFilePath_.clear();
    editNcFile->clear();
    ncFolder_.clear();
    editWarkingDir->clear();
}

void TForm1::BitBtn2Click()
{
    close();
}

void TForm1::btnStartClick()
{
    // The window takes no input while the run works; its questions come as modal dialogs.
    setEnabled(false);
    Panel1->setText(QString::fromUtf8(messages::kDropPrompt));
    progressCalls_ = 0;
    const run::Services services{dialogs_.messages, dialogs_.errors, dialogs_.shell, dialogs_.radius, *this};
    try {
        run::RunSettings settings = runSettings();
        // The machine profile is read for every run, so an edited one counts at once; one
        // that cannot be used stops the run before it starts.
        const std::string profile = machine::machineProfilePath(state_.programDir);
        if (!profile.empty()) {
            settings.machine = run::loadMachineProfile(profile);
        }
        lastRun_ = run::AnalysisRun(settings, state_, services);
        showCheckErrors();
    } catch (const std::exception& error) {
        dialogs_.errors.showError(util::withClosingPeriod(error.what()));
    }
    delete progressDialog_;
    progressDialog_ = nullptr;
    setEnabled(true);
}

void TForm1::showCheckErrors()
{
    // A completed run with errors says so under the drop prompt: no dialog in the way.
    if (lastRun_.outcome != run::RunOutcome::Completed || !lastRun_.record) {
        return;
    }
    const auto& findings = lastRun_.record->findings;
    const auto errors = std::count_if(findings.begin(), findings.end(),
                                      [](const checks::Finding& f) { return f.severity == checks::Severity::Error; });
    if (errors > 0) {
        Panel1->setText(QString::fromUtf8(messages::kDropPrompt) + "\n\n" +
                        QString::fromUtf8(messages::kCheckErrors).arg(errors));
    }
}

void TForm1::progress(std::uint64_t bytesRead, std::uint64_t bytesTotal)
{
    if (bytesTotal < kProgressFrom) {
        return;
    }
    if (!progressDialog_) {
        progressDialog_ = new QProgressDialog(QString::fromUtf8(messages::kProgressLabel), QString(), 0, 1000, this);
        progressDialog_->setWindowTitle(messages::kApplicationTitle);
        progressDialog_->setWindowModality(Qt::ApplicationModal);
        progressDialog_->setMinimumDuration(0);
    }
    progressDialog_->setValue(static_cast<int>(bytesRead * 1000 / bytesTotal));
    QApplication::processEvents();
}

void TForm1::dropFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        ncFilePath_ = toUtf8(path);
        ncFolder_ = util::folderOf(ncFilePath_);
        editNcFile->setText(path);
        preselectedFile_ = ncFilePath_;
        chooserFolder_ = ncFolder_;
        if (editWarkingDir->text().isEmpty()) {
            editWarkingDir->setText(fromUtf8(ncFolder_));
            workingFolder_ = ncFolder_;
        }
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TForm1::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    dropFiles(paths);
    event->acceptProposedAction();
}

}  // namespace app
