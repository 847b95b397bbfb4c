#include "ui/ConfigWizardApp.h"

int main(int argc, char** argv)
{
    kr::CKR761x_ConfigWizardApp app(argc, argv);
    return app.Run();
}
