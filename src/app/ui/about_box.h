#pragma once
// The About box: product name, version and who to ask.

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    Ui::TAboutBox *form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::TAboutBox> ui;
};
