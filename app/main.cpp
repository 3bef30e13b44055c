#include "app/Form1.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Startup::speakPolish(application);

    Form1 form;
    form.show();
    return application.exec();
}
