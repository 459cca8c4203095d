#include "cli/Options.h"

#include "util/Cp932.h"
#include "util/Number.h"

#include <charconv>
#include <string_view>
#include <optional>

namespace cli {

namespace {

// The usage with its example folder; `%REPORTS%` stands for it.
constexpr std::string_view kEnglishUsage =
    "Usage: brelvane-cli [options] NCFILE\n"
    "Analyses an NC program and writes its HTML report (index.html, jump.html, data.html)\n"
    "and its setup sheet (sheet.html); prints the paths of the report and the sheet.\n"
    "\n"
    "  -w, --workdir DIR      working folder (default: the NC file's folder)\n"
    "  -r, --result NAME      result folder name inside it (default: Result)\n"
    "  -s, --start X,Y,Z      start point (default: 0,0,200)\n"
    "  -c, --offset-check     check compensated arcs against the tool radius\n"
    "      --radius D=TEXT    compensation value to answer for D number D (repeatable)\n"
    "  -y, --yes              overwrite an existing result folder without asking\n"
    "      --templates DIR    folder holding hedder.txt and index.html\n"
    "      --open             open the report with the desktop's handler\n"
    "      --json FILE        write the run's figures as JSON to FILE (\"-\": standard output,\n"
    "                         and no paths are printed), also for a run that ends early\n"
    "      --no-sheet         do not write the setup sheet\n"
    "      --machine FILE     machine profile (TOML) for machine times beside the classic ones\n"
    "      --ignore CODE      leave out the program check CODE (repeatable)\n"
    "      --fail-on LEVEL    exit 3 when a check finds something of LEVEL (error or\n"
    "                         warning) or worse\n"
    "  -q, --quiet            print nothing but messages\n"
    "  -h, --help             show this help\n"
    "      --version          show the version\n"
    "\n"
    "The program checks' findings go to standard error, one line each as FILE:LINE:\n"
    "SEVERITY: MESSAGE [code], also with --quiet.\n"
    "\n"
    "Exit status: 0 report completed, 1 run ended early, 2 usage error (or a machine\n"
    "profile that cannot be used), 3 report completed with findings at --fail-on's level.\n"
    "\n"
    "Examples:\n"
    "  brelvane-cli part.nc\n"
    "      report and setup sheet in part.nc's folder, under Result%SEP%\n"
    "  brelvane-cli -y -w %REPORTS% -s -50,0,100 part.nc\n"
    "      start point X-50 Y0 Z100, result folder overwritten without asking\n"
    "  brelvane-cli -c --radius 1=5.0 --radius 2=3.0 part.nc\n"
    "      check compensated arcs, tool radius 5.0 for D01 and 3.0 for D02\n"
    "  brelvane-cli --machine vmc40.toml --json - part.nc\n"
    "      machine times of a profile, all figures as JSON on standard output\n"
    "\n"
    "Check codes (for --ignore; each explained in docs/checks.md):\n";

constexpr std::string_view kJapaneseUsage =
    "使い方: brelvane-cli [オプション] NCファイル\n"
    "NC プログラムを解析し、HTML のレポート (index.html、jump.html、data.html) と\n"
    "段取りシート (sheet.html) を作って、その場所を表示します。\n"
    "\n"
    "  -w, --workdir フォルダ    作業フォルダ (指定しなければ NC ファイルのフォルダ)\n"
    "  -r, --result 名前         作業フォルダの中に作る結果フォルダの名前 (既定は Result)\n"
    "  -s, --start X,Y,Z         スタート点 (既定は 0,0,200)\n"
    "  -c, --offset-check        工具径補正の円弧を工具半径で確かめる (オフセットチェック)\n"
    "      --radius D=値         D 番号ごとの補正量。聞かれる代わりにここで答える (何度でも)\n"
    "  -y, --yes                 結果フォルダがあっても確かめずに上書きする\n"
    "      --templates フォルダ  hedder.txt と index.html のあるフォルダ\n"
    "      --open                できたレポートをブラウザで開く\n"
    "      --json ファイル       数値をまとめて JSON で書き出す (\"-\" なら標準出力に出し、\n"
    "                            場所は表示しない)。途中で止まった解析でも書く\n"
    "      --no-sheet            段取りシートを作らない\n"
    "      --machine ファイル    機械プロファイル (TOML)。その機械での加工時間も出す\n"
    "      --ignore コード       そのプログラムチェックを行わない (何度でも)\n"
    "      --fail-on レベル      この重要度 (error か warning) 以上の指摘があれば終了コード 3\n"
    "  -q, --quiet               メッセージと指摘のほかは何も表示しない\n"
    "  -h, --help                この説明を表示する\n"
    "      --version             バージョンを表示する\n"
    "\n"
    "プログラムチェックの指摘は標準エラー出力に 1 件 1 行で出ます (ファイル:行: 重要度: 内容\n"
    "[コード])。--quiet のときも出ます。\n"
    "\n"
    "終了コード: 0 レポートができた、1 解析が途中で止まった、2 指定の誤り (使えない機械\n"
    "プロファイルを含む)、3 レポートはできたが --fail-on の重要度の指摘がある\n"
    "\n"
    "例:\n"
    "  brelvane-cli part.nc\n"
    "      part.nc と同じフォルダの Result%SEP% にレポートと段取りシートを作る\n"
    "  brelvane-cli -y -w %REPORTS% -s -50,0,100 part.nc\n"
    "      スタート点 X-50 Y0 Z100 で解析し、結果フォルダは確かめずに上書きする\n"
    "  brelvane-cli -c --radius 1=5.0 --radius 2=3.0 part.nc\n"
    "      補正の円弧を D01 は半径 5.0、D02 は 3.0 の工具で確かめる\n"
    "  brelvane-cli --machine vmc40.toml --json - part.nc\n"
    "      機械プロファイルの加工時間とすべての数値を JSON で標準出力に出す\n"
    "\n"
    "チェックのコード (--ignore で指定するもの。docs/checks.md に説明があります):\n";

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

std::string usage(bool japanese, bool windows)
{
    std::string text(japanese ? kJapaneseUsage : kEnglishUsage);
    replaceAll(text, "%REPORTS%", windows ? "C:\\Reports" : "/tmp/reports");
    replaceAll(text, "%SEP%", windows ? "\\" : "/");
    return text;
}

namespace {

struct OptionInfo {
    const char* shortName;
    const char* longName;
    bool takesValue;
};

constexpr OptionInfo kOptions[] = {
    {"-w", "--workdir", true},   {"-r", "--result", true}, {"-s", "--start", true},
    {"-c", "--offset-check", false}, {nullptr, "--radius", true}, {"-y", "--yes", false},
    {nullptr, "--templates", true}, {nullptr, "--open", false}, {"-q", "--quiet", false},
    {"-h", "--help", false},     {nullptr, "--version", false}, {nullptr, "--json", true},
    {nullptr, "--no-sheet", false}, {nullptr, "--machine", true}, {nullptr, "--ignore", true},
    {nullptr, "--fail-on", true},
};

const OptionInfo* findOption(const std::string& name)
{
    for (const OptionInfo& info : kOptions) {
        if ((info.shortName && name == info.shortName) || name == info.longName) {
            return &info;
        }
    }
    return nullptr;
}

// "X,Y,Z" into three texts, empty ones kept: each is converted as a typed field would be.
std::optional<std::vector<std::string>> splitStart(const std::string& value)
{
    std::vector<std::string> parts(1);
    for (const char c : value) {
        if (c == ',') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    if (parts.size() != 3) {
        return std::nullopt;
    }
    return parts;
}

std::string apply(Options& o, const OptionInfo& info, const std::string& value)
{
    const std::string name = info.longName;
    if (name == "--workdir") {
        o.settings.workingDir = value;
        o.workdirGiven = true;
    } else if (name == "--result") {
        o.settings.resultDirName = value;
    } else if (name == "--start") {
        const auto parts = splitStart(value);
        if (!parts) {
            return "--start takes three values X,Y,Z";
        }
        o.settings.startX = (*parts)[0];
        o.settings.startY = (*parts)[1];
        o.settings.startZ = (*parts)[2];
    } else if (name == "--offset-check") {
        o.settings.offsetCheck = true;
    } else if (name == "--radius") {
        const auto eq = value.find('=');
        int d = 0;
        const auto res = std::from_chars(value.data(), value.data() + (eq == std::string::npos ? 0 : eq), d);
        if (eq == std::string::npos || res.ec != std::errc() || res.ptr != value.data() + eq) {
            return "--radius takes D=TEXT, for example 1=5.0";
        }
        o.radius[d] = value.substr(eq + 1);
    } else if (name == "--yes") {
        o.yes = true;
    } else if (name == "--templates") {
        o.templates = value;
    } else if (name == "--open") {
        o.open = true;
    } else if (name == "--json") {
        if (value.empty()) {
            return "--json takes a file name, or - for standard output";
        }
        o.json = value;
    } else if (name == "--machine") {
        o.machine = value;
    } else if (name == "--ignore") {
        if (!checks::isCheckCode(value)) {
            return "--ignore: \"" + util::shownText(value, 40) + "\" is not a check code (" + checks::checkCodeList() + ")";
        }
        o.settings.ignoreChecks.push_back(value);
    } else if (name == "--fail-on") {
        if (value != "error" && value != "warning") {
            return "--fail-on takes error or warning";
        }
        o.failOn = value == "error" ? checks::Severity::Error : checks::Severity::Warning;
    } else if (name == "--no-sheet") {
        o.settings.writeSheet = false;
    } else if (name == "--quiet") {
        o.quiet = true;
    } else if (name == "--help") {
        o.help = true;
    } else if (name == "--version") {
        o.version = true;
    }
    return {};
}

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& args)
{
    ParseResult result;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const OptionInfo* info = findOption(name);
        if (!info) {
            result.error = "unknown option " + name;
            return result;
        }
        if (info->takesValue && !value) {
            if (i + 1 >= args.size()) {
                result.error = name + " needs a value";
                return result;
            }
            value = args[++i];  // a value may begin with "-": --start -10,5.5,80
        } else if (!info->takesValue && value) {
            result.error = name + " takes no value";
            return result;
        }
        result.error = apply(result.options, *info, value.value_or(""));
        if (!result.error.empty()) {
            return result;
        }
    }
    if (result.options.help || result.options.version) {
        return result;
    }
    if (positional.size() != 1) {
        result.error = positional.empty() ? "no NC file given" : "more than one NC file given";
        return result;
    }
    result.options.settings.ncFile = positional.front();
    return result;
}

}  // namespace cli
