// The frame's side of the SMU reports and the query window.

#include "app/FrameReports.h"
#include "app/MainWindow.h"

void TTAMOForm::ShowSmuOverview(const QString& valueText) {
    m_reports->ShowSmuOverview(valueText);
}

bool TTAMOForm::ShowSmuTable(int smuId) {
    return m_reports->ShowSmuTable(smuId);
}
