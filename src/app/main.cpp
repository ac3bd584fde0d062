#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    app.setApplicationDisplayName("TAMO-Viewer v2");
    TTAMOForm frame;
    frame.show();
    return app.exec();
}
