#include "app/Inputtoolradius.h"

#include "app/WindowLayout.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace app {

TformToorRadius::TformToorRadius(QWidget* owner) : QDialog(owner)
{
    setObjectName("formToorRadius");
    setWindowTitle(QString::fromUtf8("工具径"));
    setFont(windowFont());
    setModal(true);

    Panel1 = new QLabel(this);
    Panel1->setObjectName("Panel1");
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    place(Panel1, 24, 8, 185, 41);

    Label1 = new QLabel(QString::fromUtf8("補正値"), this);
    Label1->setObjectName("Label1");
    place(Label1, 16, 64, 45, 15);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    place(Edit1, 72, 64, 153, 23);

    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    place(Button1, 232, 64, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TformToorRadius::Button1Click);

    setFixedSize(fitting(this, 383, 152));
}

void TformToorRadius::setPrompt(const QString& text)
{
    Panel1->setText(text);
}

void TformToorRadius::Button1Click()
{
    enteredText_ = Edit1->text();
    accept();
}

}  // namespace app
