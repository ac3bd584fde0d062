#include "app/MainWindow.h"

TTAMOForm::TTAMOForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("TAMOForm");
    setWindowTitle("TAMO-Viewer 2.0");
}

TTAMOForm::~TTAMOForm() = default;
