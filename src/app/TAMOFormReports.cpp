// The frame's side of the SMU reports and the query window.

#include "app/FrameReports.h"
#include "app/TAMOForm.h"

void TTAMOForm::ShowSmuOverview(int smuId) {
    m_reports->ShowSmuOverview(smuId);
}

bool TTAMOForm::ShowSmuTable(int smuId) {
    return m_reports->ShowSmuTable(smuId);
}
