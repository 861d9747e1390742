#include "ImportApp.h"

#include "WizardSheet.h"

CImportApp::CImportApp(std::filesystem::path iniPath) : m_iniPath(std::move(iniPath)) {}

int CImportApp::InitInstance()
{
    CWizardSheet sheet(m_iniPath);
    sheet.exec();
    return 0;
}
