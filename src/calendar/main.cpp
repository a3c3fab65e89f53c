#include <QApplication>
#include <QDateTime>

#include "calendar/SingleInstance.h"
#include "calendar/fMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    // A second copy ends at once, quietly, before it has a window.
    const SingleInstance instance(SingleInstance::defaultDirectory());
    if (!instance.isFirst()) {
        return 0;
    }

    fMain window([] { return QDateTime::currentDateTime(); });
    window.Form_Load();
    window.show();
    return app.exec();
}
