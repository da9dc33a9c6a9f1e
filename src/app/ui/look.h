#pragma once
// Fonts and pictures of the windows, made in code so the program needs no
// image files.

#include <QIcon>

class QWidget;

// The forms give font sizes in points as they were drawn at 96 dpi
// (8, 9, 10, 14). This turns each of them into the pixel height the layout
// was measured with (11, 12, 13, 19), so positions fit the texts on any screen.
void Form_PixelFonts(QWidget *root);

// The window icon: a sensor post with its signal, 32 × 32.
QIcon App_Icon();
// The picture of the viewer's open buttons: a small chart, 16 × 16, with a
// greyed form for the disabled state.
QIcon Chart_Icon();
