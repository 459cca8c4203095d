// brelvane: the desktop program. `brelvane FILE` opens with FILE as if dropped (a desktop's
// "open with"); `brelvane --grab FILE` renders the window to a PNG and exits, so anyone can
// look at it without a screen.
#include "app/Inputtoolradius.h"
#include "window/Messages.h"
#include "app/QtDialogs.h"
#include "app/TForm1.h"
#include "util/File.h"

#include <QApplication>
#include <QPixmap>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(window::messages::kApplicationTitle);
    QApplication::setApplicationDisplayName(window::messages::kApplicationTitle);

    app::QtDialogs dialogs;
    app::TForm1 form(dialogs.dialogs(), util::templatesDirectory(util::programDirectory(argv[0])));
    dialogs.setOwner(&form);
    // Created at start as the program always has; each prompt shows its own instance.
    app::TformToorRadius formToorRadius(&form);

    const QStringList args = QApplication::arguments();
    form.takeArguments(args);
    if (const auto grab = args.indexOf("--grab"); grab >= 0 && grab + 1 < args.size()) {
        form.show();
        return form.grab().save(args[grab + 1]) ? 0 : 1;
    }
    form.move(282, 215);
    form.show();
    return QApplication::exec();
}
