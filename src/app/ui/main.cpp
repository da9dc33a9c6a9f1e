// Program entry: the application, the main window, the message loop.
#include "look.h"
#include "main_window.h"

#include "link/serial_port.h"
#include "sim/sim_port.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavirs102"));
    QApplication::setApplicationVersion(QStringLiteral("5.0"));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    QApplication::setFont(font);
    QApplication::setWindowIcon(App_Icon());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Настройка чувствительности датчика «Тавирс-102»"));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Порт при запуске: COM1…COM9, путь устройства или sim (имитатор датчика)."),
                                        QStringLiteral("NAME"), QStringLiteral("COM1"));
    parser.addOption(portOption);
    parser.process(app);

    QString port = parser.value(portOption);
    if (SimPortOpener::isSimName(port))
        port = SIM_PORT_NAME;
    SimPortOpener opener(std::make_unique<SerialPortOpener>());
    TFmain w(opener, port);
    if (QScreen *screen = w.screen()) {
        const QRect area = screen->availableGeometry();
        w.move(area.center() - QPoint(w.width() / 2, w.height() / 2));
    }
    w.show();
    app.exec();
    return 0;
}
