#include "app/TForm1.h"

#include "app/QtText.h"
#include "app/WindowLayout.h"
#include "window/Messages.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
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

namespace messages = window::messages;

constexpr std::uint64_t kProgressFrom = 4u << 20;  // smaller files finish before a dialog would help

template <typename W>
W* make(QWidget* parent, const char* name)
{
    auto* widget = new W(parent);
    widget->setObjectName(name);
    return widget;
}

}  // namespace

TForm1::TForm1(const window::Dialogs& dialogs, std::string programDir, QWidget* parent)
    : QWidget(parent), state_(dialogs, std::move(programDir))
{
    // 1. A target for files dropped from the desktop.
    setAcceptDrops(true);
    setObjectName("Form1");
    setWindowTitle(messages::kApplicationTitle);
    setFont(windowFont());

    // 2. The controls, showing the state's defaults: the start point, the drop prompt.
    buildControls();
    showFields();
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

void TForm1::takeFields()
{
    window::Fields& f = state_.fields;
    f.ncFile = toUtf8(editNcFile->text());
    f.workingDir = toUtf8(editWarkingDir->text());
    f.resultDir = toUtf8(editResultDir->text());
    f.startX = toUtf8(edInitX->text());
    f.startY = toUtf8(edInitY->text());
    f.startZ = toUtf8(edInitZ->text());
    f.offsetCheck = rbtnOffsetOn->isChecked();
}

void TForm1::showFields()
{
    const window::Fields& f = state_.fields;
    const auto show = [](QLineEdit* edit, const std::string& text) {
        // Unchanged text is left alone: setting it would move the cursor.
        if (toUtf8(edit->text()) != text) {
            edit->setText(fromUtf8(text));
        }
    };
    show(editNcFile, f.ncFile);
    show(editWarkingDir, f.workingDir);
    show(editResultDir, f.resultDir);
    show(edInitX, f.startX);
    show(edInitY, f.startY);
    show(edInitZ, f.startZ);
    (f.offsetCheck ? rbtnOffsetOn : rbtnOffsetOff)->setChecked(true);
    Panel1->setText(fromUtf8(f.panel));
    Panel1->setCursor(state_.hasCheckErrors() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

run::RunSettings TForm1::runSettings() const
{
    const_cast<TForm1*>(this)->takeFields();
    return state_.runSettings();
}

void TForm1::btnFileNameSelectClick()
{
    takeFields();
    state_.chooseFile();
    showFields();
}

void TForm1::editNcFileEdited(const QString& text)
{
    state_.typedFile(toUtf8(text));
}

void TForm1::editNcFileFinished()
{
    takeFields();
    state_.fileFieldLeft();
    showFields();
}

void TForm1::takeArguments(const QStringList& arguments)
{
    std::vector<std::string> args;
    for (const QString& a : arguments) {
        args.push_back(toUtf8(a));
    }
    takeFields();
    state_.takeArguments(args);
    showFields();
}

void TForm1::btnDirSelectClick()
{
    takeFields();
    state_.chooseFolder();
    showFields();
}

void TForm1::BitBtn1Click()
{
    takeFields();
    state_.clear();
    showFields();
}

void TForm1::BitBtn2Click()
{
    close();
}

void TForm1::btnStartClick()
{
    // The window takes no input while the run works; its questions come as modal dialogs.
    setEnabled(false);
    progressCalls_ = 0;
    takeFields();
    state_.start(*this);
    showFields();
    delete progressDialog_;
    progressDialog_ = nullptr;
    setEnabled(true);
}

void TForm1::mousePressEvent(QMouseEvent* event)
{
    if (state_.hasCheckErrors() && Panel1->geometry().contains(Panel1->parentWidget()->mapFrom(this, event->pos()))) {
        state_.openFindings();
        return;
    }
    QWidget::mousePressEvent(event);
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
    std::vector<std::string> files;
    for (const QString& path : paths) {
        files.push_back(toUtf8(path));
    }
    takeFields();
    state_.dropFiles(files);
    showFields();
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
