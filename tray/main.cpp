#include "PhoneBookApp.h"

int main(int argc, char** argv)
{
    CPhoneBookApp app;
    return app.Run(argc, argv);
}
