#include "about_box.h"

#include "look.h"
#include "ui_about_box.h"

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutBox>())
{
    ui->setupUi(this);
    Form_PixelFonts(this);
    // Title bar with its close button only; the box keeps its size.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(549, 219);
}

TAboutBox::~TAboutBox() = default;
