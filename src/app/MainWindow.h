#pragma once
// The main frame: a multiple-document window whose children are the map windows.

#include <QMainWindow>

class TTAMOForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TTAMOForm(QWidget* parent = nullptr);
    ~TTAMOForm() override;
};
