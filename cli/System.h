// What the command line needs of the operating system, one implementation per platform:
// the rest of the command line, like the run, knows no platform.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace cli::system {

// The program's arguments, the program's own name first, in UTF-8 (Windows hands them
// over as wide characters; the narrow argv there is in the ANSI code page).
std::vector<std::string> arguments(int argc, char** argv);

// Readies the console for the program's text and returns the encoding to write it in.
std::string prepareConsole();

// Writes text to standard output or error as it is, flushed; on a Windows console, UTF-8
// through the console's wide-character call, so that no character is cut into bytes.
void write(std::FILE* stream, std::string_view text);

// Whether the user's language is Japanese: on Windows the user's display language, else
// the locale's messages setting (LC_ALL, LC_MESSAGES, LANG).
bool japaneseUser();

// Whether standard input and standard error are a console someone can answer at.
bool interactive();

// Hands a document to the desktop's program for it; true when one took it.
bool openDocument(const std::string& path);

// Whether the program was started with no console of a caller's: on Windows from Explorer
// (a double-click, a file dropped on the program or its shortcut). Never here.
bool startedFromDesktop();

// Starts the window program that lies beside the command line's; false where there is
// none (Linux: the desktop starts the window itself).
bool startWindow(const std::string& programDir);

// Lets go of the console a desktop start made for the program, so no empty black window
// stands beside the message boxes.
void leaveConsole();

// The desktop's message box; true when the answer is OK. A question (OK and Cancel)
// shows the question icon, else the error or the information icon.
bool messageBox(const std::string& text, const std::string& caption, bool okCancel, bool error);

}  // namespace cli::system
