// The frame's own windows: the help, the About and Disclaimer dialogs and the Export window.

#include "app/AboutForm.h"
#include "app/DisclaimerForm.h"
#include "app/ExportForm.h"
#include "app/HelpForm.h"
#include "app/TAMOForm.h"
#include "common/Dialogs.h"

THelpForm& TTAMOForm::HelpWindow() {
    if (!m_helpForm)
        m_helpForm = new THelpForm(this);
    return *m_helpForm;
}

void TTAMOForm::aHelpAboutExecute() {
    TAboutForm form(this);
    Dialogs::Exec(form);
}

void TTAMOForm::aHelpDisclaimerExecute() {
    TDisclaimerForm form(this);
    Dialogs::Exec(form);
}

void TTAMOForm::aExportDataExecute() {
    TExportForm form(m_library.get(), this);
    Dialogs::Exec(form);
}
