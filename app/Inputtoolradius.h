// The radius prompt: a small modal dialog asking a D number's compensation value.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

class TformToorRadius : public QDialog {
    Q_OBJECT

public:
    explicit TformToorRadius(QWidget* owner = nullptr);

    // Sets the prompt text of Panel1, for example "D01 = ?".
    void setPrompt(const QString& text);
    // The text of Edit1 when OK was pressed.
    QString enteredText() const { return enteredText_; }

    QLabel* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;

private slots:
    void Button1Click();

private:
    QString enteredText_;
};

}  // namespace app
