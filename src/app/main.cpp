#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName(QStringLiteral("frmMDI"));
    window.setWindowTitle(QStringLiteral("ZelTester"));
    window.resize(1024, 700);
    window.show();
    return app.exec();
}
